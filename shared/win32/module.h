#pragma once
// Where the running program lives, and what its environment says.
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace win32kit {

// Full path of the running program's file (or of the module given); empty
// when it cannot be read. Long paths exceed MAX_PATH: the buffer grows until
// the name fits.
inline std::wstring modulePath(HMODULE module = nullptr) {
  std::wstring buffer(MAX_PATH, L'\0');
  while (buffer.size() <= 32768) {
    const DWORD length = GetModuleFileNameW(module, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) {
      buffer.resize(length);
      return buffer;
    }
    buffer.resize(buffer.size() * 2);
  }
  return {};
}

// The folder of a path, without the last backslash; empty when it has none.
inline std::wstring folderOf(std::wstring_view path) {
  const auto slash = path.find_last_of(L"\\/");
  return slash == std::wstring_view::npos ? std::wstring() : std::wstring(path.substr(0, slash));
}

// The running program's folder, without a last backslash.
inline std::wstring programFolder() { return folderOf(modulePath()); }

// A file beside the running program ("tessara7.exe" -> "C:\...\tessara7.exe").
inline std::wstring inProgramFolder(std::wstring_view file) { return programFolder() + L"\\" + std::wstring(file); }

// An environment variable, or nothing when it is not set.
inline std::optional<std::wstring> environmentVariable(const wchar_t* name) {
  const DWORD needed = GetEnvironmentVariableW(name, nullptr, 0);
  if (needed == 0) return std::nullopt;
  std::wstring value(needed, L'\0');
  const DWORD length = GetEnvironmentVariableW(name, value.data(), needed);
  if (length >= needed) return std::nullopt;
  value.resize(length);
  return value;
}

// Whether a switch variable is set to exactly "1".
inline bool environmentSwitch(const wchar_t* name) { return environmentVariable(name) == std::wstring(L"1"); }

}  // namespace win32kit
