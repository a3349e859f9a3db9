#pragma once
// The file system over kernel32.
#include "platform/files.h"

namespace platform::win32 {

class Win32Files final : public Files {
 public:
  std::optional<std::uint32_t> attributes(std::string_view path) override;
  bool setNormalAttributes(std::string_view path) override;
  bool deleteFile(std::string_view path) override;
  bool copyFile(std::string_view from, std::string_view to) override;
  std::vector<DirEntry> list(std::string_view folder) override;
  std::string windowsFolder() override;
  std::string currentDirectory() override;
};

}  // namespace platform::win32
