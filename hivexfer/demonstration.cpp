#include "hivexfer/demonstration.h"

#include <windows.h>

#include <string_view>

#include "hivexfer/registry_module.h"
#include "shared/win32/text.h"

namespace hivexfer::demonstration {
namespace {

constexpr std::wstring_view kParent = L"modRegistryTest";
constexpr const wchar_t* kKeys[] = {L"Directory1", L"Directory2", L"Directory3"};

struct Value {
  const wchar_t* name;
  DWORD type;
};
constexpr Value kValues[] = {{L"String Test", REG_SZ}, {L"Binary Test", REG_BINARY}, {L"DWORD Test", REG_DWORD}};

std::wstring keyPath(const wchar_t* key) { return std::wstring(kParent) + L"\\" + key; }

// Runs `each` for every demonstration value with its key's path and its 1-based key number.
template <typename Each>
void forEachValue(Each each) {
  int number = 1;
  for (const wchar_t* key : kKeys) {
    for (const Value& value : kValues) each(keyPath(key), value, number);
    ++number;
  }
}

std::string lines(const std::string& joined) {
  std::string out = joined;
  for (char& c : out)
    if (c == ',') c = '\n';
  return out;
}

}  // namespace

std::string writeValues() {
  forEachValue([](const std::wstring& key, const Value& value, int number) {
    const std::string data = value.type == REG_SZ ? "Test String " + std::to_string(number) : std::to_string(number);
    writeValue(value.type, HKEY_CURRENT_USER, key, value.name, data);
  });
  return "Writting to the Registry Complete";
}

std::string changeValues() {
  forEachValue([](const std::wstring& key, const Value& value, int) {
    writeValue(value.type, HKEY_CURRENT_USER, key, value.name, "0");
  });
  return "Writting to the Registry Complete";
}

std::string readValues() {
  std::string shown;
  forEachValue([&](const std::wstring& key, const Value& value, int) {
    if (!shown.empty()) shown += '\n';
    shown += win32kit::toUtf8(key + L"\\" + value.name) + ": " +
             readValue(HKEY_CURRENT_USER, key, value.name, "NO KEY FOUND");
  });
  return shown;
}

std::string enumKeys() { return lines(subKeyNames(HKEY_CURRENT_USER, kParent)); }

std::string enumValues() {
  std::string shown;
  for (const wchar_t* key : kKeys) {
    const std::string names = valueNames(HKEY_CURRENT_USER, keyPath(key));
    if (names.empty()) continue;
    if (!shown.empty()) shown += '\n';
    shown += lines(names);
  }
  return shown;
}

std::string deleteValues() {
  forEachValue([](const std::wstring& key, const Value& value, int) { deleteValue(HKEY_CURRENT_USER, key, value.name); });
  return "Deleting Registry Key Values Complete";
}

std::string deleteKeys() {
  for (const wchar_t* key : kKeys) deleteKey(HKEY_CURRENT_USER, kParent, key);
  deleteKey(HKEY_CURRENT_USER, L"", kParent);
  return "Deleting Registry Keys Complete";
}

}  // namespace hivexfer::demonstration
