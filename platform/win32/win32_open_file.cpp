// Open files, system paths and error descriptions of the Win32 file system.
#include <windows.h>
#include <winternl.h>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/win32/win32_files.h"
#include "shared/win32/handles.h"
#include "shared/win32/text.h"

namespace platform::win32 {

using win32kit::toUtf8;
using win32kit::toWide;
using win32kit::UniqueKernelHandle;
using win32kit::UniqueLocal;

namespace {

// The absolute form of a path, or nothing when the system cannot make it.
std::optional<std::wstring> fullPathName(const std::wstring& path) {
  const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return std::nullopt;
  std::wstring full(needed, L'\0');
  const DWORD length = GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
  if (length == 0 || length >= needed) return std::nullopt;
  full.resize(length);
  return full;
}

}  // namespace

std::wstring systemPath(std::string_view path) {
  std::wstring wide = toWide(path);
  // CreateDirectoryW's limit is MAX_PATH - 12; below it every function
  // takes the plain form, which also accepts "/" and doubled backslashes.
  if (wide.size() < MAX_PATH - 12 || wide.starts_with(L"\\\\?\\")) return wide;
  const std::optional<std::wstring> absolute = fullPathName(wide);
  if (!absolute) return wide;
  const std::wstring& full = *absolute;
  if (full.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

FileFailure describeFileError(unsigned long code) {
  FileFailure failure;
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH:
    case ERROR_INVALID_DRIVE:
      failure.error = FileError::NotFound;
      break;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
      failure.error = FileError::AccessDenied;
      break;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      failure.error = FileError::InUse;
      break;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      failure.error = FileError::DiskFull;
      break;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      failure.error = FileError::AlreadyExists;
      break;
    default:
      failure.error = FileError::Other;
  }
  wchar_t* text = nullptr;
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  const UniqueLocal owner(text);
  std::wstring message = length > 0 ? std::wstring(text, length) : std::wstring();
  while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' ' ||
                              message.back() == L'.'))
    message.pop_back();
  failure.reason = message.empty() ? "system error " + std::to_string(code) : toUtf8(message);
  return failure;
}

namespace {

// A full path as the rename by handle wants it (it takes no relative name
// beyond the current folder's).
std::wstring fullPath(std::string_view path) {
  const std::wstring wide = systemPath(path);
  if (wide.starts_with(L"\\\\?\\")) return wide;
  return fullPathName(wide).value_or(wide);
}

// The file's number on its volume.
std::optional<std::int64_t> fileNumber(HANDLE handle) {
  IO_STATUS_BLOCK status = {};
  FILE_INTERNAL_INFORMATION number = {};
  if (NtQueryInformationFile(handle, &status, &number, sizeof number, FileInternalInformation) < 0) return std::nullopt;
  return number.IndexNumber.QuadPart;
}

// No access to the content: a file others hold open still answers.
HANDLE openForQueries(std::string_view path) {
  return CreateFileW(systemPath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                     OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

template <typename OnFailure>
std::optional<FileIdentity> identityOf(HANDLE handle, OnFailure onFailure) {
  BY_HANDLE_FILE_INFORMATION info = {};
  if (!GetFileInformationByHandle(handle, &info)) {
    onFailure();
    return std::nullopt;
  }
  return FileIdentity{info.dwVolumeSerialNumber,
                      (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

class Win32OpenFile final : public OpenFile {
 public:
  explicit Win32OpenFile(HANDLE handle) : handle_(handle) {}

  // Every read and write names its offset, and the handle's own position is
  // never used: a check may read what was flushed (readAt, on another
  // thread) while the owner writes on.
  std::optional<std::size_t> read(std::span<std::uint8_t> buffer) override {
    const auto got = readAt(position_, buffer);
    if (got) position_ += *got;
    return got;
  }

  bool write(std::span<const std::uint8_t> data) override {
    while (!data.empty()) {
      const DWORD wanted = data.size() > UINT_MAX / 2 ? UINT_MAX / 2 : static_cast<DWORD>(data.size());
      OVERLAPPED at = offset(position_);
      DWORD written = 0;
      if (!WriteFile(handle_.get(), data.data(), wanted, &written, &at)) return failedWith(false);
      if (written == 0) {
        SetLastError(ERROR_DISK_FULL);
        return failedWith(false);
      }
      position_ += written;
      data = data.subspan(written);
    }
    return true;
  }

  bool flush() override { return FlushFileBuffers(handle_.get()) ? true : failedWith(false); }

  std::optional<std::uint64_t> size() override {
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(handle_.get(), &size)) return failedWith(std::nullopt);
    return static_cast<std::uint64_t>(size.QuadPart);
  }

  bool setLastWriteTime(FileTime time) override {
    FILETIME value = {static_cast<DWORD>(time & 0xFFFFFFFFu), static_cast<DWORD>(time >> 32)};
    return SetFileTime(handle_.get(), nullptr, nullptr, &value) ? true : failedWith(false);
  }

  std::optional<std::size_t> readAt(std::uint64_t from, std::span<std::uint8_t> buffer) override {
    OVERLAPPED at = offset(from);
    DWORD got = 0;
    const DWORD wanted = buffer.size() > UINT_MAX / 2 ? UINT_MAX / 2 : static_cast<DWORD>(buffer.size());
    // Past the end a read at an offset fails with ERROR_HANDLE_EOF: nothing read.
    if (!ReadFile(handle_.get(), buffer.data(), wanted, &got, &at) && GetLastError() != ERROR_HANDLE_EOF)
      return failedWith(std::nullopt);
    return got;
  }

  bool renameNoReplace(std::string_view to) override {
    const std::wstring target = fullPath(to);
    std::vector<std::byte> buffer(sizeof(FILE_RENAME_INFO) + (target.size() + 1) * sizeof(wchar_t));
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = FALSE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = static_cast<DWORD>(target.size() * sizeof(wchar_t));
    std::copy(target.begin(), target.end(), rename->FileName);
    rename->FileName[target.size()] = L'\0';
    if (!SetFileInformationByHandle(handle_.get(), FileRenameInfo, rename, static_cast<DWORD>(buffer.size())))
      return failedWith(false);
    // The new name is on the disk before the caller deletes anything.
    return FlushFileBuffers(handle_.get()) ? true : failedWith(false);
  }

  bool deleteOnClose() override {
    FILE_DISPOSITION_INFO disposition{TRUE};
    return SetFileInformationByHandle(handle_.get(), FileDispositionInfo, &disposition, sizeof disposition)
               ? true
               : failedWith(false);
  }

  std::optional<FileIdentity> identity() override { return identityOf(handle_.get(), [this] { failedWith(0); }); }

  // By the file's number alone: the volume's serial number costs Wine half
  // a millisecond a query, twice for every file an encryption deletes. The
  // name is looked up from the same folder, and a deletion goes through
  // this handle, so a match on another volume could only delete this file.
  bool isNamed(std::string_view path) override {
    const win32kit::UniqueFileHandle named(openForQueries(path));
    if (!named) return failedWith(false);
    const auto heldNumber = fileNumber(handle_.get());
    const auto namedNumber = fileNumber(named.get());
    return heldNumber && namedNumber && *heldNumber == *namedNumber;
  }

  FileFailure lastFailure() const override {
    const std::lock_guard lock(failureMutex_);
    return lastFailure_;
  }

 private:
  template <typename T>
  T failedWith(T value) {
    FileFailure failure = describeFileError(GetLastError());
    const std::lock_guard lock(failureMutex_);
    lastFailure_ = std::move(failure);
    return value;
  }

  static OVERLAPPED offset(std::uint64_t at) {
    OVERLAPPED overlapped = {};
    overlapped.Offset = static_cast<DWORD>(at & 0xFFFFFFFFu);
    overlapped.OffsetHigh = static_cast<DWORD>(at >> 32);
    return overlapped;
  }

  UniqueKernelHandle handle_;
  std::uint64_t position_ = 0;  // the owner's, for read() and write()
  // A flush may run on a worker thread beside a write.
  mutable std::mutex failureMutex_;
  FileFailure lastFailure_;
};

std::unique_ptr<OpenFile> adopt(HANDLE handle) {
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<Win32OpenFile>(handle);
}

}  // namespace

bool Win32Files::failed() {
  lastFailure_ = describeFileError(GetLastError());
  return false;
}

std::unique_ptr<OpenFile> Win32Files::openRead(std::string_view path) {
  const std::wstring name = systemPath(path);
  constexpr DWORD flags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN;
  // With the right to delete where the user has it, so that the file read
  // is the file deleted; without it (or while another program's open does
  // not share deleting), reading still works.
  auto file = adopt(CreateFileW(name.c_str(), GENERIC_READ | DELETE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, flags, nullptr));
  if (!file && (GetLastError() == ERROR_ACCESS_DENIED || GetLastError() == ERROR_SHARING_VIOLATION))
    file = adopt(CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, flags, nullptr));
  if (!file) failed();
  return file;
}

std::unique_ptr<OpenFile> Win32Files::createNew(std::string_view path) {
  auto file = adopt(CreateFileW(systemPath(path).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) failed();
  return file;
}

std::optional<FileIdentity> Win32Files::identity(std::string_view path) {
  const win32kit::UniqueFileHandle file(openForQueries(path));
  if (!file) {
    failed();
    return std::nullopt;
  }
  return identityOf(file.get(), [this] { failed(); });
}

std::unique_ptr<OpenFile> Win32Files::openExclusive(std::string_view path) {
  auto file = adopt(CreateFileW(systemPath(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) failed();
  return file;
}

bool Win32Files::setAttributes(std::string_view path, std::uint32_t attributes) {
  return SetFileAttributesW(systemPath(path).c_str(), attributes) ? true : failed();
}

std::optional<FileTime> Win32Files::lastWriteTime(std::string_view path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (!GetFileAttributesExW(systemPath(path).c_str(), GetFileExInfoStandard, &data)) {
    failed();
    return std::nullopt;
  }
  return (static_cast<FileTime>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
}

bool Win32Files::renameNoReplace(std::string_view from, std::string_view to) {
  // Without MOVEFILE_REPLACE_EXISTING an existing target makes it fail.
  return MoveFileExW(systemPath(from).c_str(), systemPath(to).c_str(), MOVEFILE_WRITE_THROUGH) ? true : failed();
}

}  // namespace platform::win32
