#pragma once
// A simulated file system for native tests: drives, folders and files with
// attributes and contents, names compared without regard to ASCII case.
// "/" works like "\", and a path without a drive is taken relative to the
// current directory.
#include <map>
#include <string>

#include "platform/files.h"

namespace platform::sim {

constexpr std::uint32_t AttributeReadOnly = 0x01;
constexpr std::uint32_t AttributeHidden = 0x02;
constexpr std::uint32_t AttributeSystem = 0x04;
constexpr std::uint32_t AttributeArchive = 0x20;
constexpr std::uint32_t AttributeNormal = 0x80;

class SimFiles final : public Files {
 public:
  SimFiles();  // C:\ with the Windows folder C:\Windows, current directory C:\.

  std::optional<std::uint32_t> attributes(std::string_view path) override;
  bool setNormalAttributes(std::string_view path) override;
  // Refuses folders and read-only files, as the system does.
  bool deleteFile(std::string_view path) override;
  // Overwrites; refuses a missing source, a folder, a missing target folder
  // and a read-only or hidden target.
  bool copyFile(std::string_view from, std::string_view to) override;
  // In name order.
  std::vector<DirEntry> list(std::string_view folder) override;
  std::string windowsFolder() override { return windowsFolder_; }
  std::string currentDirectory() override { return currentDirectory_; }

  // --- for tests ---
  void addFolder(std::string_view path);  // and its missing parents
  void addFile(std::string_view path, std::string_view content = {},
               std::uint32_t attributes = AttributeArchive);
  bool setAttributes(std::string_view path, std::uint32_t attributes);
  bool exists(std::string_view path) const;
  std::optional<std::string> content(std::string_view path) const;
  void setWindowsFolder(std::string_view path);
  void setCurrentDirectory(std::string_view path);
  std::size_t fileCount() const;

 private:
  struct Entry {
    std::string path;  // as created, normalised
    bool directory = false;
    std::uint32_t attributes = 0;
    std::string content;
  };
  std::string normalise(std::string_view path) const;
  Entry* find(std::string_view path);
  const Entry* find(std::string_view path) const;

  std::map<std::string, Entry> entries_;  // by folded normalised path
  std::string windowsFolder_;
  std::string currentDirectory_;
};

}  // namespace platform::sim
