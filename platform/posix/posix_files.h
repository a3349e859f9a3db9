#pragma once
// Real files of a POSIX system behind the program's file interface, so that
// the encryption component can be run and measured natively on a real disk
// (the simulated files live in memory). Paths are passed through as they
// are; there is no Windows or ProgramData folder here.
#include "platform/files.h"

namespace platform::posix {

class PosixFiles final : public Files {
 public:
  std::optional<std::uint32_t> attributes(std::string_view path) override;
  bool setNormalAttributes(std::string_view path) override;
  bool deleteFile(std::string_view path) override;
  bool copyFile(std::string_view from, std::string_view to) override;
  std::vector<DirEntry> list(std::string_view folder) override;
  std::string windowsFolder() override { return {}; }
  std::string programDataFolder() override { return {}; }
  std::string finalPath(std::string_view path) override;

  std::unique_ptr<OpenFile> openRead(std::string_view path) override;
  std::unique_ptr<OpenFile> createNew(std::string_view path) override;
  std::unique_ptr<OpenFile> openExclusive(std::string_view path) override;
  bool setAttributes(std::string_view path, std::uint32_t attributes) override;
  std::optional<FileTime> lastWriteTime(std::string_view path) override;
  std::optional<FileIdentity> identity(std::string_view path) override;
  bool renameNoReplace(std::string_view from, std::string_view to) override;
  FileFailure lastFailure() const override { return lastFailure_; }

  std::string currentDirectory() override;

 private:
  template <typename T>
  T failedWith(T value);
  std::unique_ptr<OpenFile> open(std::string_view path, int flags);

  FileFailure lastFailure_;
};

// The failure an errno stands for, with the system's words for it.
FileFailure describeErrno(int error);

}  // namespace platform::posix
