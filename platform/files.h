#pragma once
// The file system as the programs use it.
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

constexpr std::uint32_t AttributeDirectory = 0x10;
constexpr std::uint32_t AttributeHiddenFile = 0x02;
constexpr std::uint32_t AttributeSystemFile = 0x04;

struct DirEntry {
  std::string name;
  bool directory = false;
};

// Why a file operation failed, as far as the program tells the user.
enum class FileError { None, NotFound, AccessDenied, InUse, DiskFull, AlreadyExists, Other };

struct FileFailure {
  FileError error = FileError::None;
  std::string reason;  // the system's words for it, for a message
};

// Which file a name or a handle leads to: the volume and the file's number on it.
struct FileIdentity {
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  bool operator==(const FileIdentity&) const = default;
};

// Times are the system's file times: 100-nanosecond steps since 1601-01-01 UTC.
using FileTime = std::uint64_t;

// A file opened by Files::openRead or Files::createNew; closed when destroyed.
// flush() and readAt() may run on another thread while the owner writes;
// nothing else may.
class OpenFile {
 public:
  virtual ~OpenFile() = default;
  // Up to buffer.size() bytes from the current position; 0 at the end.
  virtual std::optional<std::size_t> read(std::span<std::uint8_t> buffer) = 0;
  // All of `data` at the current position, or false.
  virtual bool write(std::span<const std::uint8_t> data) = 0;
  // Writes everything to the disk before it returns.
  virtual bool flush() = 0;
  virtual std::optional<std::uint64_t> size() = 0;
  virtual bool setLastWriteTime(FileTime time) = 0;
  // Up to buffer.size() bytes from `offset`, leaving the current position
  // where it was (a writer checks what it flushed without losing its place).
  virtual std::optional<std::size_t> readAt(std::uint64_t offset, std::span<std::uint8_t> buffer) = 0;
  // Gives this very file another name (a full path on the same drive),
  // whatever was done with names meanwhile; fails when `to` exists.
  virtual bool renameNoReplace(std::string_view to) = 0;
  // This very file goes when the handle closes; fails for a read-only file.
  virtual bool deleteOnClose() = 0;
  virtual std::optional<FileIdentity> identity() = 0;
  // Whether `path` leads to this very file now (false also when it leads nowhere).
  virtual bool isNamed(std::string_view path) = 0;
  // Why the last failed call on this file failed.
  virtual FileFailure lastFailure() const = 0;
};

class Files {
 public:
  virtual ~Files() = default;

  // std::nullopt when the attributes cannot be read (lastFailure tells why).
  virtual std::optional<std::uint32_t> attributes(std::string_view path) = 0;
  virtual bool setNormalAttributes(std::string_view path) = 0;
  virtual bool deleteFile(std::string_view path) = 0;
  virtual bool copyFile(std::string_view from, std::string_view to) = 0;
  // Entries of a folder, without "." and "..", in the order the file system gives.
  virtual std::vector<DirEntry> list(std::string_view folder) = 0;
  virtual std::string windowsFolder() = 0;
  // The machine's data folder for all users (C:\ProgramData).
  virtual std::string programDataFolder() = 0;
  // Where a path really leads: links and junctions followed, "." and ".."
  // resolved, "\" as the separator, no "\\?\" prefix. A path that cannot be
  // opened is only made absolute and tidied the same way.
  virtual std::string finalPath(std::string_view path) = 0;

  // For reading; others may read too, but no one may write, rename or
  // delete it while it is open. Where the rights allow, the handle may
  // delete the file (deleteOnClose).
  virtual std::unique_ptr<OpenFile> openRead(std::string_view path) = 0;
  // A new file for writing and reading back, which no one else may open,
  // rename or delete; fails when the name exists.
  virtual std::unique_ptr<OpenFile> createNew(std::string_view path) = 0;
  // An existing file held open so that no one else can open it at all, for
  // as long as the result lives; fails while anyone else has it open.
  virtual std::unique_ptr<OpenFile> openExclusive(std::string_view path) = 0;
  virtual bool setAttributes(std::string_view path, std::uint32_t attributes) = 0;
  virtual std::optional<FileTime> lastWriteTime(std::string_view path) = 0;
  // Which file the name leads to now.
  virtual std::optional<FileIdentity> identity(std::string_view path) = 0;
  // Renames (or moves on the same drive); fails when `to` exists.
  virtual bool renameNoReplace(std::string_view from, std::string_view to) = 0;
  // Why the last failed call above (or deleteFile) failed.
  virtual FileFailure lastFailure() const = 0;

  virtual std::string currentDirectory() = 0;
};

}  // namespace platform
