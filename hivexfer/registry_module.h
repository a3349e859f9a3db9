#pragma once
// The tool's registry procedures: saving a key to a hive file and restoring
// it, the privileges both need, and the plain value and key operations of
// the demonstration buttons. Text is UTF-8 inside, UTF-16 at the API.
#include <windows.h>

#include <string>
#include <string_view>

namespace hivexfer {

// What a procedure did: success, or the system's error code of the step that failed.
struct Outcome {
  DWORD error = ERROR_SUCCESS;
  explicit operator bool() const { return error == ERROR_SUCCESS; }
};

// The system's description of an error code, in one line.
std::string systemErrorText(DWORD error);

// Enables one privilege of the process token ("SeBackupPrivilege"). A
// privilege the user does not hold fails with ERROR_NOT_ALL_ASSIGNED.
Outcome enablePrivilege(const wchar_t* name);

// Saves the key with its values and sub-keys to a hive file, replacing the
// file; the file is for administrators alone.
Outcome saveKey(HKEY root, std::wstring_view subKey, std::wstring_view file);

// Replaces the key's values and sub-keys with those of a hive file: the file
// is loaded under a temporary key, the target (created when missing) is
// emptied and the loaded tree copied into it, and the file unloaded. A file
// that cannot be loaded leaves the target untouched.
Outcome restoreKey(HKEY root, std::wstring_view subKey, std::wstring_view file);

// Copies the values and sub-keys of `from` into `to`, but not their
// security: what the copies may be opened for is what `to` passes on, never
// what the file says.
Outcome copyTree(HKEY from, HKEY to, int depth = 0);

// Writes a value, creating the key when missing: REG_SZ the text, REG_BINARY
// the text as one byte, REG_DWORD the text as a 32-bit number.
bool writeValue(DWORD type, HKEY root, std::wstring_view subKey, std::wstring_view name, std::string_view data);
// A REG_SZ value's text (cut at its first NUL), another type's first 32 bits
// in decimal; `missingKey` when the key does not open, empty for a missing value.
std::string readValue(HKEY root, std::wstring_view subKey, std::wstring_view name, std::string_view missingKey);
// The names of the key's sub-keys, or of its values, joined by ",".
std::string subKeyNames(HKEY root, std::wstring_view subKey);
std::string valueNames(HKEY root, std::wstring_view subKey);
bool deleteKey(HKEY root, std::wstring_view parent, std::wstring_view name);
bool deleteValue(HKEY root, std::wstring_view subKey, std::wstring_view name);

}  // namespace hivexfer
