#pragma once
// An in-memory registry with the two roots, for native tests. Key and value
// names are case-blind; sub-keys list in name order, values in creation order.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace platform::sim {

class SimRegistry final : public Registry {
 public:
  SimRegistry();
  ~SimRegistry() override;

  bool keyExists(Root root, std::string_view key) override;
  std::optional<Value> read(Root root, std::string_view key, std::string_view name) override;
  bool writeString(Root root, std::string_view key, std::string_view name,
                   std::string_view text) override;
  bool writeDword(Root root, std::string_view key, std::string_view name,
                  std::uint32_t value) override;
  bool createKey(Root root, std::string_view key) override;
  bool deleteKey(Root root, std::string_view key) override;
  bool deleteValue(Root root, std::string_view key, std::string_view name) override;
  std::vector<std::string> subKeys(Root root, std::string_view key) override;
  std::vector<std::string> valueNames(Root root, std::string_view key) override;
  std::vector<NamedValue> readAll(Root root, std::string_view key) override;

  // --- for tests ---
  // Puts a value of any type (ValueType::Other stands for REG_EXPAND_SZ,
  // REG_BINARY, ...) in place, creating keys, whatever the write switch says.
  void plant(Root root, std::string_view key, std::string_view name, Value value);
  // A root that refuses writes behaves like HKEY_LOCAL_MACHINE for a user
  // without administrator rights: writes, creations and deletions fail, reads work.
  void setWritable(Root root, bool writable);
  // Number of keys under the root, the root itself not counted.
  std::size_t keyCount(Root root) const;
  // One line per key and value, in tree order, e.g.
  //   Software\TSR\Settings
  //   Software\TSR\Settings "LockIE" = "1"
  //   Software\TSR\Settings "NoRun" = dword:1
  std::string dump(Root root) const;

 private:
  struct Key;
  Key* find(Root root, std::string_view path);
  Key* createPath(Root root, std::string_view path);
  bool writeValue(Root root, std::string_view key, std::string_view name, Value value);

  std::unique_ptr<Key> machine_;
  std::unique_ptr<Key> user_;
  bool machineWritable_ = true;
  bool userWritable_ = true;
};

}  // namespace platform::sim
