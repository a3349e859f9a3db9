#pragma once
// The file system over kernel32. Paths of any length work: long ones are
// handed to the system in their extended ("\\?\") form.
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
  std::string programDataFolder() override;
  std::string finalPath(std::string_view path) override;
  std::string currentDirectory() override;
  std::unique_ptr<OpenFile> openRead(std::string_view path) override;
  std::unique_ptr<OpenFile> createNew(std::string_view path) override;
  std::unique_ptr<OpenFile> openExclusive(std::string_view path) override;
  bool setAttributes(std::string_view path, std::uint32_t attributes) override;
  std::optional<FileTime> lastWriteTime(std::string_view path) override;
  bool renameNoReplace(std::string_view from, std::string_view to) override;
  std::optional<FileIdentity> identity(std::string_view path) override;
  FileFailure lastFailure() const override { return lastFailure_; }

 private:
  bool failed();  // records GetLastError() and returns false

  FileFailure lastFailure_;
};

// The path as the wide-character file functions take it: short paths as
// they are, long ones made absolute and prefixed with "\\?\" (or "\\?\UNC\").
std::wstring systemPath(std::string_view path);

// What a Windows error code means for the user, with the system's text.
FileFailure describeFileError(unsigned long code);

}  // namespace platform::win32
