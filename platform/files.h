#pragma once
// The file system as the programs use it.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

constexpr std::uint32_t AttributeDirectory = 0x10;

struct DirEntry {
  std::string name;
  bool directory = false;
};

class Files {
 public:
  virtual ~Files() = default;

  // std::nullopt when the attributes cannot be read.
  virtual std::optional<std::uint32_t> attributes(std::string_view path) = 0;
  virtual bool setNormalAttributes(std::string_view path) = 0;
  virtual bool deleteFile(std::string_view path) = 0;
  virtual bool copyFile(std::string_view from, std::string_view to) = 0;
  // Entries of a folder, without "." and "..", in the order the file system gives.
  virtual std::vector<DirEntry> list(std::string_view folder) = 0;
  virtual std::string windowsFolder() = 0;
  virtual std::string currentDirectory() = 0;
};

}  // namespace platform
