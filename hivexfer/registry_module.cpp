#include "hivexfer/registry_module.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <iterator>
#include <vector>

#include "shared/win32/file_trust.h"
#include "shared/win32/handles.h"
#include "shared/win32/text.h"

namespace hivexfer {

using win32kit::toUtf8;
using win32kit::toWide;
using win32kit::UniqueKey;

std::string systemErrorText(DWORD error) {
  win32kit::UniqueLocal buffer;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
      reinterpret_cast<LPWSTR>(buffer.receive()), 0, nullptr);
  if (length == 0 || !buffer) return "Error " + std::to_string(error) + ".";
  std::wstring_view text(static_cast<const wchar_t*>(buffer.get()), length);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) text.remove_suffix(1);
  return toUtf8(text);
}

Outcome enablePrivilege(const wchar_t* name) {
  HANDLE rawToken = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &rawToken)) return {GetLastError()};
  const win32kit::UniqueKernelHandle token(rawToken);
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  if (!LookupPrivilegeValueW(nullptr, name, &privileges.Privileges[0].Luid)) return {GetLastError()};
  // Success with ERROR_NOT_ALL_ASSIGNED means the user does not hold the privilege.
  if (!AdjustTokenPrivileges(token.get(), FALSE, &privileges, sizeof privileges, nullptr, nullptr))
    return {GetLastError()};
  return {GetLastError()};
}

namespace {

std::wstring owned(std::wstring_view text) { return std::wstring(text); }

Outcome openKey(HKEY root, std::wstring_view subKey, REGSAM access, UniqueKey& key) {
  HKEY raw = nullptr;
  const LONG result = RegOpenKeyExW(root, owned(subKey).c_str(), 0, access, &raw);
  if (result != ERROR_SUCCESS) return {static_cast<DWORD>(result)};
  key.reset(raw);
  return {};
}

// A hive loaded under HKEY_LOCAL_MACHINE for as long as the object lives.
class LoadedHive {
 public:
  LoadedHive() : name_(L"TSR.Transfer." + std::to_wstring(GetCurrentProcessId())) {}
  ~LoadedHive() {
    key_.reset();
    if (loaded_) RegUnLoadKeyW(HKEY_LOCAL_MACHINE, name_.c_str());
  }
  LoadedHive(const LoadedHive&) = delete;
  LoadedHive& operator=(const LoadedHive&) = delete;

  Outcome load(std::wstring_view file) {
    // A key left loaded by a tool that was killed half-way would block the name.
    RegUnLoadKeyW(HKEY_LOCAL_MACHINE, name_.c_str());
    const LONG result = RegLoadKeyW(HKEY_LOCAL_MACHINE, name_.c_str(), owned(file).c_str());
    if (result != ERROR_SUCCESS) return {static_cast<DWORD>(result)};
    loaded_ = true;
    return openKey(HKEY_LOCAL_MACHINE, name_, KEY_READ, key_);
  }
  HKEY key() const { return key_.get(); }

 private:
  std::wstring name_;
  bool loaded_ = false;
  UniqueKey key_;
};

}  // namespace

Outcome saveKey(HKEY root, std::wstring_view subKey, std::wstring_view file) {
  if (const Outcome privilege = enablePrivilege(SE_BACKUP_NAME); !privilege) return privilege;
  UniqueKey key;
  if (const Outcome opened = openKey(root, subKey, KEY_ALL_ACCESS, key); !opened) return opened;
  // The system does not overwrite a hive file. The file holds the password
  // hash: only administrators may read or change it, whatever the folder allows.
  const std::wstring path = owned(file);
  if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES && !DeleteFileW(path.c_str()))
    return {GetLastError()};
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(win32kit::AdministratorsOnlySecurity, SDDL_REVISION_1,
                                                            &descriptor, nullptr))
    return {GetLastError()};
  const win32kit::UniqueLocal freed(descriptor);
  SECURITY_ATTRIBUTES security{sizeof security, descriptor, FALSE};
  const LONG saved = RegSaveKeyW(key.get(), path.c_str(), &security);
  if (saved != ERROR_UNKNOWN_REVISION) return {static_cast<DWORD>(saved)};
  // Wine takes no security with the save: the file gets it right after.
  if (const LONG plain = RegSaveKeyW(key.get(), path.c_str(), nullptr); plain != ERROR_SUCCESS)
    return {static_cast<DWORD>(plain)};
  return {win32kit::setFileSecurity(path, win32kit::AdministratorsOnlySecurity)};
}

Outcome copyTree(HKEY from, HKEY to, int depth) {
  // Deeper than the registry allows: a crafted hive, not a store.
  if (depth > 512) return {ERROR_BADKEY};
  DWORD subKeys = 0, longestKey = 0, values = 0, longestName = 0, longestData = 0;
  if (const LONG info = RegQueryInfoKeyW(from, nullptr, nullptr, nullptr, &subKeys, &longestKey, nullptr, &values,
                                         &longestName, &longestData, nullptr, nullptr);
      info != ERROR_SUCCESS)
    return {static_cast<DWORD>(info)};
  std::vector<wchar_t> name(std::max(longestName, longestKey) + 2);
  std::vector<BYTE> data(longestData + 2);
  for (DWORD index = 0; index < values; ++index) {
    DWORD nameLength = static_cast<DWORD>(name.size()), size = static_cast<DWORD>(data.size()), type = 0;
    const LONG read = RegEnumValueW(from, index, name.data(), &nameLength, nullptr, &type, data.data(), &size);
    if (read == ERROR_NO_MORE_ITEMS) break;
    if (read != ERROR_SUCCESS) return {static_cast<DWORD>(read)};
    if (const LONG set = RegSetValueExW(to, name.data(), 0, type, data.data(), size); set != ERROR_SUCCESS)
      return {static_cast<DWORD>(set)};
  }
  for (DWORD index = 0; index < subKeys; ++index) {
    DWORD nameLength = static_cast<DWORD>(name.size());
    const LONG read = RegEnumKeyExW(from, index, name.data(), &nameLength, nullptr, nullptr, nullptr, nullptr);
    if (read == ERROR_NO_MORE_ITEMS) break;
    if (read != ERROR_SUCCESS) return {static_cast<DWORD>(read)};
    // A link in the file is copied as the key it is, never followed elsewhere.
    HKEY rawSource = nullptr;
    if (const LONG opened = RegOpenKeyExW(from, name.data(), REG_OPTION_OPEN_LINK, KEY_READ, &rawSource);
        opened != ERROR_SUCCESS)
      return {static_cast<DWORD>(opened)};
    const UniqueKey source(rawSource);
    // No security given: the new key takes what its parent in the store passes on.
    HKEY rawTarget = nullptr;
    if (const LONG created = RegCreateKeyExW(to, name.data(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                             nullptr, &rawTarget, nullptr);
        created != ERROR_SUCCESS)
      return {static_cast<DWORD>(created)};
    const UniqueKey target(rawTarget);
    if (const Outcome copied = copyTree(source.get(), target.get(), depth + 1); !copied) return copied;
  }
  return {};
}

Outcome restoreKey(HKEY root, std::wstring_view subKey, std::wstring_view file) {
  // Loading a hive needs both privileges.
  if (const Outcome privilege = enablePrivilege(SE_RESTORE_NAME); !privilege) return privilege;
  if (const Outcome privilege = enablePrivilege(SE_BACKUP_NAME); !privilege) return privilege;
  LoadedHive hive;
  if (const Outcome loaded = hive.load(file); !loaded) return loaded;
  HKEY raw = nullptr;
  const LONG created =
      RegCreateKeyExW(root, owned(subKey).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &raw, nullptr);
  if (created != ERROR_SUCCESS) return {static_cast<DWORD>(created)};
  const UniqueKey target(raw);
  if (const LONG emptied = RegDeleteTreeW(target.get(), nullptr); emptied != ERROR_SUCCESS)
    return {static_cast<DWORD>(emptied)};
  return copyTree(hive.key(), target.get());
}

bool writeValue(DWORD type, HKEY root, std::wstring_view subKey, std::wstring_view name, std::string_view data) {
  HKEY raw = nullptr;
  if (RegCreateKeyExW(root, owned(subKey).c_str(), 0, const_cast<wchar_t*>(L""), REG_OPTION_NON_VOLATILE, KEY_WRITE,
                      nullptr, &raw, nullptr) != ERROR_SUCCESS)
    return false;
  const UniqueKey key(raw);
  const std::wstring valueName = owned(name);
  const std::string text(data);
  LONG result = ERROR_INVALID_PARAMETER;
  if (type == REG_SZ) {
    const std::wstring wide = toWide(text);
    result = RegSetValueExW(key.get(), valueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()),
                            static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
  } else if (type == REG_BINARY) {
    const BYTE byte = static_cast<BYTE>(std::strtoul(text.c_str(), nullptr, 10));
    result = RegSetValueExW(key.get(), valueName.c_str(), 0, REG_BINARY, &byte, 1);
  } else if (type == REG_DWORD) {
    const DWORD number = static_cast<DWORD>(std::strtol(text.c_str(), nullptr, 10));
    result = RegSetValueExW(key.get(), valueName.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                            sizeof number);
  }
  return result == ERROR_SUCCESS;
}

std::string readValue(HKEY root, std::wstring_view subKey, std::wstring_view name, std::string_view missingKey) {
  UniqueKey key;
  if (!openKey(root, subKey, KEY_READ, key)) return std::string(missingKey);
  const std::wstring valueName = owned(name);
  DWORD type = 0, size = 0;
  if (RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return {};
  std::vector<BYTE> data(size + sizeof(wchar_t), 0);
  if (RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type, data.data(), &size) != ERROR_SUCCESS) return {};
  if (type == REG_SZ || type == REG_EXPAND_SZ) {
    const auto* text = reinterpret_cast<const wchar_t*>(data.data());
    return toUtf8(std::wstring_view(text, wcsnlen(text, size / sizeof(wchar_t))));
  }
  DWORD number = 0;
  std::memcpy(&number, data.data(), std::min<std::size_t>(size, sizeof number));
  return std::to_string(number);
}

namespace {

template <typename Enumerate>
std::string joinedNames(HKEY root, std::wstring_view subKey, Enumerate enumerate) {
  UniqueKey key;
  if (!openKey(root, subKey, KEY_READ, key)) return {};
  std::string joined;
  wchar_t name[16384];
  for (DWORD index = 0;; ++index) {
    DWORD length = static_cast<DWORD>(std::size(name));
    if (enumerate(key.get(), index, name, &length) != ERROR_SUCCESS) break;
    if (!joined.empty()) joined += ',';
    joined += toUtf8(std::wstring_view(name, length));
  }
  return joined;
}

}  // namespace

std::string subKeyNames(HKEY root, std::wstring_view subKey) {
  return joinedNames(root, subKey, [](HKEY key, DWORD index, wchar_t* name, DWORD* length) {
    return RegEnumKeyExW(key, index, name, length, nullptr, nullptr, nullptr, nullptr);
  });
}

std::string valueNames(HKEY root, std::wstring_view subKey) {
  return joinedNames(root, subKey, [](HKEY key, DWORD index, wchar_t* name, DWORD* length) {
    return RegEnumValueW(key, index, name, length, nullptr, nullptr, nullptr, nullptr);
  });
}

bool deleteKey(HKEY root, std::wstring_view parent, std::wstring_view name) {
  UniqueKey key;
  if (!openKey(root, parent, KEY_ALL_ACCESS, key)) return false;
  return RegDeleteKeyW(key.get(), owned(name).c_str()) == ERROR_SUCCESS;
}

bool deleteValue(HKEY root, std::wstring_view subKey, std::wstring_view name) {
  UniqueKey key;
  if (!openKey(root, subKey, KEY_SET_VALUE, key)) return false;
  return RegDeleteValueW(key.get(), owned(name).c_str()) == ERROR_SUCCESS;
}

}  // namespace hivexfer
