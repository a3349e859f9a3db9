#include "platform/win32/win32_registry.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/win32/side_by_side.h"
#include "shared/win32/handles.h"
#include "shared/win32/text.h"

namespace platform::win32 {

using win32kit::toWide;
using win32kit::toUtf8;
using win32kit::UniqueKey;

namespace {

HKEY rootKey(Root root) { return root == Root::Machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }

UniqueKey openKey(Root root, std::string_view path, REGSAM access) {
  UniqueKey key;
  if (RegOpenKeyExW(rootKey(root), toWide(path).c_str(), 0, access, key.receive()) != ERROR_SUCCESS)
    return UniqueKey{};
  return key;
}

// Creates the key and every missing parent, like the legacy RegCreateKey.
UniqueKey createOrOpenKey(Root root, std::string_view path, REGSAM access) {
  UniqueKey key;
  if (RegCreateKeyExW(rootKey(root), toWide(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      access, nullptr, key.receive(), nullptr) != ERROR_SUCCESS)
    return UniqueKey{};
  return key;
}

// REG_SZ data may or may not carry its terminator (this layer writes none),
// and may even hold text after an embedded NUL: the text ends at the first NUL.
std::string textOfStringData(const BYTE* data, DWORD size) {
  std::wstring wide(size / sizeof(wchar_t), L'\0');
  if (!wide.empty()) std::memcpy(wide.data(), data, wide.size() * sizeof(wchar_t));
  if (const auto nul = wide.find(L'\0'); nul != std::wstring::npos) wide.resize(nul);
  return toUtf8(wide);
}

Value valueOf(DWORD type, const BYTE* data, DWORD size) {
  if (type == REG_SZ) return Value{ValueType::String, textOfStringData(data, size), 0};
  if (type == REG_DWORD && size == 4) {
    const std::uint32_t dword = static_cast<std::uint32_t>(data[0]) | static_cast<std::uint32_t>(data[1]) << 8 |
                                static_cast<std::uint32_t>(data[2]) << 16 |
                                static_cast<std::uint32_t>(data[3]) << 24;
    return Value{ValueType::Dword, {}, dword};
  }
  return Value{ValueType::Other, {}, 0};
}

// One value of an open key. Every registry call is a round trip to the
// system (a server process under Wine), so the first try reads into a buffer
// that holds any short value; only a longer one needs a second call. The
// value can change between two calls; a few retries cover a writer in
// another process.
std::optional<Value> readValue(HKEY key, const std::wstring& name) {
  BYTE small[512];
  std::vector<BYTE> large;
  BYTE* data = small;
  DWORD capacity = sizeof small;
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD type = 0;
    DWORD size = capacity;
    const LSTATUS rc = RegQueryValueExW(key, name.c_str(), nullptr, &type, data, &size);
    if (rc == ERROR_MORE_DATA) {
      large.assign(size, 0);
      data = large.data();
      capacity = size;
      continue;
    }
    if (rc != ERROR_SUCCESS) return std::nullopt;
    return valueOf(type, data, size);
  }
  return std::nullopt;
}

// The value at an index of an open key, with buffers sized from the key's
// longest name and data; nothing once the index is past the last value.
std::optional<NamedValue> valueAt(HKEY key, DWORD index, DWORD longestName, DWORD longestData) {
  std::wstring name(static_cast<std::size_t>(longestName) + 1, L'\0');
  std::vector<BYTE> data(static_cast<std::size_t>(longestData) + sizeof(wchar_t));
  for (;;) {
    DWORD nameLength = static_cast<DWORD>(name.size());
    DWORD size = static_cast<DWORD>(data.size());
    DWORD type = 0;
    const LSTATUS rc = RegEnumValueW(key, index, name.data(), &nameLength, nullptr, &type, data.data(), &size);
    if (rc == ERROR_MORE_DATA && name.size() < 32768) {
      // A longer value appeared since the size query: grow and retry.
      name.resize(name.size() * 2);
      data.resize(std::max<std::size_t>(data.size() * 2, size));
      continue;
    }
    if (rc != ERROR_SUCCESS) return std::nullopt;
    return NamedValue{toUtf8(std::wstring_view(name.data(), nameLength)), valueOf(type, data.data(), size)};
  }
}

}  // namespace

bool Win32Registry::keyExists(Root root, std::string_view key) {
  return static_cast<bool>(openKey(root, key, KEY_QUERY_VALUE));
}

std::optional<Value> Win32Registry::read(Root root, std::string_view key, std::string_view name) {
  const UniqueKey handle = openKey(root, key, KEY_QUERY_VALUE);
  if (!handle) return std::nullopt;
  return readValue(handle.get(), toWide(name));
}

std::vector<std::optional<Value>> Win32Registry::readMany(Root root, std::string_view key,
                                                          std::span<const std::string_view> names) {
  std::vector<std::optional<Value>> values(names.size());
  const UniqueKey handle = openKey(root, key, KEY_QUERY_VALUE);
  if (!handle) return values;
  for (std::size_t i = 0; i < names.size(); ++i) values[i] = readValue(handle.get(), toWide(names[i]));
  return values;
}

std::size_t Win32Registry::subKeyCount(Root root, std::string_view key) {
  const UniqueKey handle = openKey(root, key, KEY_QUERY_VALUE);
  DWORD count = 0;
  if (!handle || RegQueryInfoKeyW(handle.get(), nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr,
                                  nullptr, nullptr, nullptr) != ERROR_SUCCESS)
    return 0;
  return count;
}

namespace {

class ThreadAhead final : public Registry::Ahead {
 public:
  explicit ThreadAhead(std::function<void()> reads) : reads_(std::move(reads)) {
    try {
      thread_ = std::thread([this] { reads_(); });
    } catch (const std::system_error&) {
      reads_();  // no thread to be had: read now
    }
  }
  ~ThreadAhead() override { wait(); }
  void wait() override {
    if (thread_.joinable()) thread_.join();
  }

 private:
  std::function<void()> reads_;
  std::thread thread_;
};

}  // namespace

std::unique_ptr<Registry::Ahead> Win32Registry::readAhead(std::function<void()> reads) {
  return std::make_unique<ThreadAhead>(std::move(reads));
}

std::vector<std::vector<std::optional<Value>>> Win32Registry::readManyKeys(
    Root root, std::span<const std::string> keys, std::span<const std::string_view> names) {
  std::vector<std::vector<std::optional<Value>>> rows(keys.size());
  sideBySide(keys.size(), [&](std::size_t i) {
    try {
      rows[i] = readMany(root, keys[i], names);
    } catch (...) {
      rows[i].assign(names.size(), std::nullopt);  // out of memory: this key reads as absent
    }
  });
  return rows;
}

std::vector<NamedValue> Win32Registry::readAll(Root root, std::string_view key) {
  std::vector<NamedValue> values;
  const UniqueKey handle = openKey(root, key, KEY_QUERY_VALUE);
  if (!handle) return values;
  DWORD count = 0, longestName = 0, longestData = 0;
  if (RegQueryInfoKeyW(handle.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &longestName,
                       &longestData, nullptr, nullptr) != ERROR_SUCCESS)
    return values;
  // The values the key had when asked, side by side; listing stops at the
  // first index that no longer reads, as a listing one by one would.
  std::vector<std::optional<NamedValue>> listed(count);
  sideBySide(count, [&](std::size_t index) {
    try {
      listed[index] = valueAt(handle.get(), static_cast<DWORD>(index), longestName, longestData);
    } catch (...) {
    }
  });
  for (auto& value : listed) {
    if (!value) return values;
    values.push_back(std::move(*value));
  }
  // Values added since the count was taken.
  for (DWORD index = count;; ++index) {
    auto value = valueAt(handle.get(), index, longestName, longestData);
    if (!value) break;
    values.push_back(std::move(*value));
  }
  return values;
}

bool Win32Registry::writeString(Root root, std::string_view key, std::string_view name,
                                std::string_view text) {
  const UniqueKey handle = createOrOpenKey(root, key, KEY_SET_VALUE);
  if (!handle) return false;
  const std::wstring wide = toWide(text);
  // No terminating NUL: the byte count is exactly the characters' bytes.
  const auto bytes = static_cast<DWORD>(wide.size() * sizeof(wchar_t));
  return RegSetValueExW(handle.get(), toWide(name).c_str(), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(wide.c_str()), bytes) == ERROR_SUCCESS;
}

bool Win32Registry::writeDword(Root root, std::string_view key, std::string_view name,
                               std::uint32_t value) {
  const UniqueKey handle = createOrOpenKey(root, key, KEY_SET_VALUE);
  if (!handle) return false;
  const BYTE data[4] = {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8),
                        static_cast<BYTE>(value >> 16), static_cast<BYTE>(value >> 24)};
  return RegSetValueExW(handle.get(), toWide(name).c_str(), 0, REG_DWORD, data, sizeof data) ==
         ERROR_SUCCESS;
}

bool Win32Registry::createKey(Root root, std::string_view key) {
  return static_cast<bool>(createOrOpenKey(root, key, KEY_QUERY_VALUE));
}

bool Win32Registry::deleteKey(Root root, std::string_view key) {
  // An empty path would name the root itself, which is never deleted.
  if (key.find_first_not_of('\\') == std::string_view::npos) return false;
  return RegDeleteKeyW(rootKey(root), toWide(key).c_str()) == ERROR_SUCCESS;
}

bool Win32Registry::deleteValue(Root root, std::string_view key, std::string_view name) {
  const UniqueKey handle = openKey(root, key, KEY_SET_VALUE);
  if (!handle) return false;
  return RegDeleteValueW(handle.get(), toWide(name).c_str()) == ERROR_SUCCESS;
}

std::vector<std::string> Win32Registry::subKeys(Root root, std::string_view key) {
  std::vector<std::string> names;
  const UniqueKey handle = openKey(root, key, KEY_ENUMERATE_SUB_KEYS);
  if (!handle) return names;
  wchar_t buffer[256];  // key names are at most 255 characters
  for (DWORD index = 0;; ++index) {
    DWORD length = static_cast<DWORD>(std::size(buffer));
    if (RegEnumKeyExW(handle.get(), index, buffer, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
      break;
    names.push_back(toUtf8(std::wstring_view(buffer, length)));
  }
  return names;
}

std::vector<std::string> Win32Registry::valueNames(Root root, std::string_view key) {
  std::vector<std::string> names;
  const UniqueKey handle = openKey(root, key, KEY_QUERY_VALUE);
  if (!handle) return names;
  DWORD longest = 0;
  RegQueryInfoKeyW(handle.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                   &longest, nullptr, nullptr, nullptr);
  std::wstring buffer(static_cast<std::size_t>(longest) + 1, L'\0');
  for (DWORD index = 0;;) {
    DWORD length = static_cast<DWORD>(buffer.size());
    const LSTATUS rc = RegEnumValueW(handle.get(), index, buffer.data(), &length, nullptr, nullptr,
                                     nullptr, nullptr);
    if (rc == ERROR_MORE_DATA && buffer.size() < 32768) {
      // A longer name appeared since the size query: grow and retry this index.
      buffer.resize(buffer.size() * 2);
      continue;
    }
    if (rc != ERROR_SUCCESS) break;
    names.push_back(toUtf8(std::wstring_view(buffer.data(), length)));
    ++index;
  }
  return names;
}

}  // namespace platform::win32
