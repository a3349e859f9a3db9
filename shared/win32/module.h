#pragma once
// Where the running program lives, and what its environment says.
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "shared/names.h"
#include "shared/win32/text.h"

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

// Whether a diagnostics switch (names::DiagnosticsKey under HKEY_LOCAL_MACHINE)
// is set to exactly "1".
inline bool machineSwitch(const wchar_t* name) {
  wchar_t value[8] = {};
  DWORD size = sizeof value;
  const std::wstring key = toWide(names::DiagnosticsKey);
  return RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size) == ERROR_SUCCESS &&
         std::wstring(value) == L"1";
}
// Sets or clears one (tests and benchmarks, with administrator rights).
inline bool setMachineSwitch(const wchar_t* name, bool on) {
  const std::wstring key = toWide(names::DiagnosticsKey);
  if (!on) {
    const LONG result = RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), name);
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
  }
  return RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, REG_SZ, L"1", 2 * sizeof(wchar_t)) == ERROR_SUCCESS;
}

}  // namespace win32kit
