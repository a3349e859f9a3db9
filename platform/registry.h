#pragma once
// The registry as the programs see it: two roots, keys addressed by
// backslash paths relative to a root, case-blind key and value names.
// Implementations report what really happened; the "never fails visibly"
// contract belongs to the layer above (tessara7/settings/registry_access.h).
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

enum class Root : std::uint32_t { Machine, User };

enum class ValueType { String, Dword, Other };

struct Value {
  ValueType type = ValueType::Other;
  std::string text;         // String: UTF-8 text up to the first NUL
  std::uint32_t dword = 0;  // Dword: the 32-bit data
};

struct NamedValue {
  std::string name;
  Value value;
};

class Registry {
 public:
  virtual ~Registry() = default;

  virtual bool keyExists(Root root, std::string_view key) = 0;
  // Absent key or value: std::nullopt.
  virtual std::optional<Value> read(Root root, std::string_view key, std::string_view name) = 0;
  // Writes create every missing key along the path. Strings are stored
  // without a terminating NUL.
  virtual bool writeString(Root root, std::string_view key, std::string_view name,
                           std::string_view text) = 0;
  virtual bool writeDword(Root root, std::string_view key, std::string_view name,
                          std::uint32_t value) = 0;
  virtual bool createKey(Root root, std::string_view key) = 0;
  // Refuses a key that still has subkeys, as the platform does.
  virtual bool deleteKey(Root root, std::string_view key) = 0;
  virtual bool deleteValue(Root root, std::string_view key, std::string_view name) = 0;
  virtual std::vector<std::string> subKeys(Root root, std::string_view key) = 0;
  virtual std::vector<std::string> valueNames(Root root, std::string_view key) = 0;

  // Several values of one key: one entry per name, std::nullopt for an absent
  // value or key. Implementations open the key once for all of them.
  virtual std::vector<std::optional<Value>> readMany(Root root, std::string_view key,
                                                     std::span<const std::string_view> names) {
    std::vector<std::optional<Value>> values;
    values.reserve(names.size());
    for (const std::string_view name : names) values.push_back(read(root, key, name));
    return values;
  }
  // The same values of many keys: one row per key, as readMany gives it.
  // Implementations may read the keys side by side.
  virtual std::vector<std::vector<std::optional<Value>>> readManyKeys(Root root, std::span<const std::string> keys,
                                                                      std::span<const std::string_view> names) {
    std::vector<std::vector<std::optional<Value>>> rows;
    rows.reserve(keys.size());
    for (const std::string& key : keys) rows.push_back(readMany(root, key, names));
    return rows;
  }
  // Registry reads that may run beside the caller until wait(), so that a
  // large read can start before its result is needed (the store's lists
  // while the window is being made). Only reads of this registry may run
  // there, and they must not throw. The default runs them at once.
  class Ahead {
   public:
    virtual ~Ahead() = default;
    // Returns once the reads have run.
    virtual void wait() {}
  };
  virtual std::unique_ptr<Ahead> readAhead(std::function<void()> reads) {
    reads();
    return std::make_unique<Ahead>();
  }
  // How many sub-keys the key has; 0 for a missing key.
  virtual std::size_t subKeyCount(Root root, std::string_view key) { return subKeys(root, key).size(); }
  // Every value of a key with its name, in the order the key lists them;
  // empty for a missing key. Implementations open the key once.
  virtual std::vector<NamedValue> readAll(Root root, std::string_view key) {
    std::vector<NamedValue> values;
    for (auto& name : valueNames(root, key))
      if (auto value = read(root, key, name)) values.push_back({std::move(name), std::move(*value)});
    return values;
  }
};

}  // namespace platform
