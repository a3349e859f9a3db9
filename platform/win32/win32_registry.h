#pragma once
// The registry over advapi32, through the W functions. Every key opened here
// is closed before the call returns.
#include "platform/registry.h"

namespace platform::win32 {

class Win32Registry final : public Registry {
 public:
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
  std::vector<std::optional<Value>> readMany(Root root, std::string_view key,
                                             std::span<const std::string_view> names) override;
  // On a thread of its own; the Ahead's destructor waits too.
  std::unique_ptr<Ahead> readAhead(std::function<void()> reads) override;
  // Large reads run side by side on a few threads (see side_by_side.h).
  std::vector<std::vector<std::optional<Value>>> readManyKeys(Root root, std::span<const std::string> keys,
                                                              std::span<const std::string_view> names) override;
  std::vector<NamedValue> readAll(Root root, std::string_view key) override;
  std::size_t subKeyCount(Root root, std::string_view key) override;
};

}  // namespace platform::win32
