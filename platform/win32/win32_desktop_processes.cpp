// The processes behind windows: ids, starts and program files.
#include <windows.h>
#include <tlhelp32.h>

#include <vector>

#include "platform/win32/win32_desktop.h"
#include "shared/win32/handles.h"
#include "shared/win32/text.h"

namespace platform::win32 {

using win32kit::toUtf8;
using win32kit::UniqueFileHandle;
using win32kit::UniqueKernelHandle;

namespace {

std::string fileNameOf(std::wstring_view path) {
  const auto slash = path.find_last_of(L"\\/");
  return toUtf8(slash == std::wstring_view::npos ? path : path.substr(slash + 1));
}

// The OriginalFilename of the file's version resource, in the file's first
// language; empty when the file or the resource cannot be read.
std::string originalFileName(const std::wstring& path) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  if (size == 0) return {};
  std::vector<BYTE> data(size);
  if (!GetFileVersionInfoW(path.c_str(), 0, size, data.data())) return {};
  struct Translation {
    WORD language;
    WORD codePage;
  };
  Translation* translations = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations), &length) ||
      length < sizeof(Translation))
    return {};
  wchar_t query[64];
  wsprintfW(query, L"\\StringFileInfo\\%04x%04x\\OriginalFilename", translations[0].language,
            translations[0].codePage);
  wchar_t* name = nullptr;
  if (!VerQueryValueW(data.data(), query, reinterpret_cast<void**>(&name), &length) || name == nullptr) return {};
  // The length counts the terminating zero when there is one.
  std::wstring_view text(name, length);
  if (const auto end = text.find(L'\0'); end != std::wstring_view::npos) text = text.substr(0, end);
  return toUtf8(text);
}

// The process list's name for a process that cannot be opened.
std::string listedName(std::uint32_t id) {
  UniqueFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return {};
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry))
    if (entry.th32ProcessID == id) return fileNameOf(entry.szExeFile);
  return {};
}

}  // namespace

std::uint32_t Win32Desktop::windowProcessId(WindowHandle w) {
  DWORD id = 0;
  if (w == 0 || GetWindowThreadProcessId(reinterpret_cast<HWND>(w), &id) == 0) return 0;
  return id;
}

std::optional<ProcessKey> Win32Desktop::process(std::uint32_t id) {
  if (id == 0) return std::nullopt;
  const UniqueKernelHandle handle(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
  if (!handle) {
    // A process this user may not open (another user's, a protected one)
    // is still told by its id alone.
    return GetLastError() == ERROR_ACCESS_DENIED ? std::optional<ProcessKey>(ProcessKey{id, 0}) : std::nullopt;
  }
  FILETIME created{}, exited{}, kernel{}, user{};
  DWORD code = 0;
  if (GetExitCodeProcess(handle.get(), &code) && code != STILL_ACTIVE) return std::nullopt;
  if (!GetProcessTimes(handle.get(), &created, &exited, &kernel, &user)) return ProcessKey{id, 0};
  return ProcessKey{id, (static_cast<std::uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime};
}

ProgramFile Win32Desktop::programFile(std::uint32_t id) {
  const UniqueKernelHandle handle(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
  std::wstring path(32768, L'\0');
  DWORD length = static_cast<DWORD>(path.size());
  if (!handle || !QueryFullProcessImageNameW(handle.get(), 0, path.data(), &length)) return {listedName(id), {}};
  path.resize(length);
  return {fileNameOf(path), originalFileName(path)};
}

}  // namespace platform::win32
