#pragma once
// A simulated file system for native tests: drives, folders and files with
// attributes and contents, names compared without regard to ASCII case.
// "/" works like "\", and a path without a drive is taken relative to the
// current directory.
#include <array>
#include <map>
#include <mutex>
#include <string>

#include "platform/files.h"

namespace platform::sim {

constexpr std::uint32_t AttributeReadOnly = 0x01;
constexpr std::uint32_t AttributeHidden = 0x02;
constexpr std::uint32_t AttributeSystem = 0x04;
constexpr std::uint32_t AttributeArchive = 0x20;
constexpr std::uint32_t AttributeNormal = 0x80;

// The operations that a test can make fail (SimFiles::failOn).
enum class FileOperation { Open, Create, Read, Write, Flush, Rename, Delete, Count };

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
  std::string programDataFolder() override { return "C:\\ProgramData"; }
  // Resolves "." and "..", then the links made with linkFolder.
  std::string finalPath(std::string_view path) override;
  std::string currentDirectory() override { return currentDirectory_; }
  // An open file keeps its name: it cannot be deleted or renamed, and a file
  // open for writing cannot be opened again.
  std::unique_ptr<OpenFile> openRead(std::string_view path) override;
  std::unique_ptr<OpenFile> createNew(std::string_view path) override;
  std::unique_ptr<OpenFile> openExclusive(std::string_view path) override;
  std::optional<FileTime> lastWriteTime(std::string_view path) override;
  bool renameNoReplace(std::string_view from, std::string_view to) override;
  std::optional<FileIdentity> identity(std::string_view path) override;
  FileFailure lastFailure() const override { return lastFailure_; }

  // --- for tests ---
  void addFolder(std::string_view path);  // and its missing parents
  void addFile(std::string_view path, std::string_view content = {},
               std::uint32_t attributes = AttributeArchive);
  bool setAttributes(std::string_view path, std::uint32_t attributes) override;
  bool exists(std::string_view path) const;
  std::optional<std::string> content(std::string_view path) const;
  void setWindowsFolder(std::string_view path);
  // A junction: `link` (a folder of its own in the listings) leads to `target`.
  void linkFolder(std::string_view link, std::string_view target);
  void setCurrentDirectory(std::string_view path);
  std::size_t fileCount() const;
  std::vector<std::string> filePaths() const;  // every file, in path order
  std::size_t openFileCount() const { return openFiles_; }

  // Fault injection: the nth call of `operation` from now on (1 is the next)
  // fails with `error`. Calls are counted from construction or resetCounts().
  void failOn(FileOperation operation, int nth, FileError error = FileError::Other);
  int callCount(FileOperation operation) const { return counts_[index(operation)]; }
  void resetCounts();
  // Writes fail with a full disk once all files together hold this many bytes.
  void setCapacity(std::size_t bytes) { capacity_ = bytes; }
  // As if another program held the file open without sharing it.
  void lockFile(std::string_view path, bool locked = true);
  void setLastWriteTime(std::string_view path, FileTime time);
  // As if the disk gave back another byte at `offset` of the file from now on
  // (safe beside a writer's thread).
  void damage(std::string_view path, std::size_t offset);
  // As if the disk gave back another byte at `offset` whenever the file at
  // `path` is read from now on, while its stored bytes stay as written (the
  // file need not exist yet).
  void damageReads(std::string_view path, std::size_t offset);

 private:
  static std::uint64_t nextIdentity() {
    static std::uint64_t last = 0;
    return ++last;
  }
  struct Entry {
    std::string path;  // as created, normalised
    bool directory = false;
    std::uint32_t attributes = 0;
    std::string content;
    FileTime lastWrite = 0;
    int readers = 0;
    bool writer = false;
    bool locked = false;
    std::uint64_t identity = nextIdentity();  // kept across renames, new for a copy
  };
  friend class SimOpenFile;
  static std::size_t index(FileOperation operation) { return static_cast<std::size_t>(operation); }
  // Counts the call; true (and lastFailure set) when it is to fail.
  bool injectedFailure(FileOperation operation, FileFailure* failure);
  bool refuse(FileError error, std::string reason);
  std::size_t storedBytes() const;
  std::string normalise(std::string_view path) const;
  Entry* find(std::string_view path);
  const Entry* find(std::string_view path) const;

  // The component reads, writes and flushes one file each from its own
  // thread; their calls take turns here, as the system serialises them.
  struct IoMutex : std::recursive_mutex {
    IoMutex() = default;
    IoMutex(const IoMutex&) {}  // a copy or assignment brings no lock along
    IoMutex& operator=(const IoMutex&) { return *this; }
  };
  IoMutex ioMutex_;
  std::map<std::string, Entry> entries_;  // by folded normalised path
  std::string windowsFolder_;
  std::string currentDirectory_;
  std::map<std::string, std::string> links_;  // folded link -> target, both normalised
  FileFailure lastFailure_;
  std::array<int, static_cast<std::size_t>(FileOperation::Count)> counts_{};
  std::array<std::map<int, FileError>, static_cast<std::size_t>(FileOperation::Count)> faults_{};
  std::map<std::string, std::size_t> readDamage_;  // folded normalised path -> offset
  std::size_t capacity_ = static_cast<std::size_t>(-1);
  std::size_t openFiles_ = 0;
  FileTime clock_ = 133000000000000000;  // a file time in 2022, moving on with every write
};

}  // namespace platform::sim
