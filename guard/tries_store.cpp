#include "guard/tries_store.h"

#include <windows.h>

#include <string>

#include "guard/tries_values.h"
#include "shared/win32/handles.h"
#include "shared/win32/text.h"

namespace guard {
namespace {

constexpr const wchar_t* kKey = L"Software\\TSR\\Guard";
constexpr const wchar_t* kCount = L"Tries";
constexpr const wchar_t* kNotBefore = L"NotBefore";

std::string readString(HKEY key, const wchar_t* name) {
  wchar_t buffer[64] = {};
  DWORD size = sizeof buffer - sizeof(wchar_t);  // room for a terminator the value may lack
  DWORD type = 0;
  if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS ||
      type != REG_SZ)
    return {};
  std::wstring value(buffer, size / sizeof(wchar_t));
  while (!value.empty() && value.back() == L'\0') value.pop_back();
  return win32kit::toUtf8(value);
}

bool writeString(HKEY key, const wchar_t* name, const std::string& value) {
  const std::wstring wide = win32kit::toWide(value);
  return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()),
                        static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

}  // namespace

guard_channel::Tries readTries() {
  win32kit::UniqueKey key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, key.receive()) != ERROR_SUCCESS)
    return {};
  return triesFromValues(readString(key.get(), kCount), readString(key.get(), kNotBefore));
}

bool writeTries(const guard_channel::Tries& tries) {
  win32kit::UniqueKey key;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, key.receive(),
                      nullptr) != ERROR_SUCCESS)
    return false;
  const TriesValues values = valuesOf(tries);
  return writeString(key.get(), kCount, values.count) && writeString(key.get(), kNotBefore, values.notBefore);
}

}  // namespace guard
