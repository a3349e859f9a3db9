#include "platform/win32/win32_files.h"

#include <windows.h>

#include <algorithm>

#include "shared/win32/data_folder.h"
#include "shared/win32/handles.h"
#include "shared/win32/text.h"

namespace platform::win32 {

using win32kit::toWide;
using win32kit::toUtf8;
using win32kit::UniqueFind;

std::optional<std::uint32_t> Win32Files::attributes(std::string_view path) {
  const DWORD attributes = GetFileAttributesW(systemPath(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    failed();
    return std::nullopt;
  }
  return attributes;
}

bool Win32Files::setNormalAttributes(std::string_view path) {
  return SetFileAttributesW(systemPath(path).c_str(), FILE_ATTRIBUTE_NORMAL) != FALSE;
}

bool Win32Files::deleteFile(std::string_view path) {
  return DeleteFileW(systemPath(path).c_str()) ? true : failed();
}

bool Win32Files::copyFile(std::string_view from, std::string_view to) {
  return CopyFileW(toWide(from).c_str(), toWide(to).c_str(), FALSE) != FALSE;
}

std::vector<DirEntry> Win32Files::list(std::string_view folder) {
  std::vector<DirEntry> entries;
  std::wstring pattern = systemPath(folder);
  if (!pattern.empty() && pattern.back() != L'\\' && pattern.back() != L'/') pattern += L'\\';
  pattern += L'*';
  WIN32_FIND_DATAW data = {};
  const UniqueFind find(FindFirstFileW(pattern.c_str(), &data));
  if (!find) return entries;
  do {
    const std::wstring_view name(data.cFileName);
    if (name == L"." || name == L"..") continue;
    entries.push_back({toUtf8(name), (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
  } while (FindNextFileW(find.get(), &data));
  return entries;
}

std::string Win32Files::programDataFolder() { return toUtf8(win32kit::programDataFolder()); }

std::string Win32Files::windowsFolder() {
  std::wstring buffer(MAX_PATH, L'\0');
  UINT length = GetWindowsDirectoryW(buffer.data(), static_cast<UINT>(buffer.size()));
  if (length >= buffer.size()) {
    // Too small: the result is the size needed, terminator included.
    buffer.resize(length);
    length = GetWindowsDirectoryW(buffer.data(), static_cast<UINT>(buffer.size()));
  }
  if (length == 0 || length >= buffer.size()) return {};
  buffer.resize(length);
  return toUtf8(buffer);
}

std::string Win32Files::finalPath(std::string_view path) {
  const std::wstring asked = systemPath(path);
  // No access asked: a folder (with backup semantics) or a file held by
  // another program still gives its final name.
  const win32kit::UniqueFileHandle opened(CreateFileW(asked.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  std::wstring result;
  if (opened) {
    result.resize(32768);
    const DWORD length = GetFinalPathNameByHandleW(opened.get(), result.data(), static_cast<DWORD>(result.size()),
                                                   FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    result.resize(length > 0 && length < result.size() ? length : 0);
  }
  if (result.empty()) {
    result.resize(32768);
    const DWORD length = GetFullPathNameW(asked.c_str(), static_cast<DWORD>(result.size()), result.data(), nullptr);
    result.resize(length > 0 && length < result.size() ? length : 0);
    if (result.empty()) result = asked;
  }
  std::replace(result.begin(), result.end(), L'/', L'\\');
  if (result.starts_with(L"\\\\?\\UNC\\")) result = L"\\" + result.substr(7);
  else if (result.starts_with(L"\\\\?\\")) result = result.substr(4);
  while (result.size() > 3 && result.ends_with(L'\\')) result.pop_back();
  return toUtf8(result);
}

std::string Win32Files::currentDirectory() {
  const DWORD needed = GetCurrentDirectoryW(0, nullptr);
  if (needed == 0) return {};
  std::wstring buffer(needed, L'\0');
  const DWORD length = GetCurrentDirectoryW(needed, buffer.data());
  if (length == 0 || length >= needed) return {};
  buffer.resize(length);
  return toUtf8(buffer);
}

}  // namespace platform::win32
