#include "platform/posix/posix_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

namespace platform::posix {
namespace {

// Windows file times count 100 ns from 1601; Unix times count from 1970.
constexpr std::uint64_t UnixEpochAsFileTime = 116444736000000000ull;

FileTime fileTimeOf(const struct timespec& time) {
  return UnixEpochAsFileTime + static_cast<std::uint64_t>(time.tv_sec) * 10000000ull +
         static_cast<std::uint64_t>(time.tv_nsec) / 100;
}

struct timespec timespecOf(FileTime time) {
  const std::uint64_t since = time > UnixEpochAsFileTime ? time - UnixEpochAsFileTime : 0;
  struct timespec spec {};
  spec.tv_sec = static_cast<time_t>(since / 10000000ull);
  spec.tv_nsec = static_cast<long>(since % 10000000ull * 100);
  return spec;
}

FileIdentity identityOf(const struct stat& status) {
  return FileIdentity{static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)};
}

std::string folderOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The new name is on the disk once the folder that holds it is.
bool syncFolderOf(const std::string& path) {
  const int folder = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder < 0) return false;
  const bool synced = ::fsync(folder) == 0;
  ::close(folder);
  return synced;
}

// A rename that never replaces: renameat2 where the file system has it, else
// a new link (which fails on an existing name) and the old name removed.
bool renameWithoutReplacing(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  if (::link(from.c_str(), to.c_str()) != 0) return false;
  return ::unlink(from.c_str()) == 0;
}

class PosixOpenFile final : public OpenFile {
 public:
  PosixOpenFile(int descriptor, std::string path) : fd_(descriptor), path_(std::move(path)) {}
  ~PosixOpenFile() override {
    // Deleted on close, as Windows does: only when the name is still this file's.
    if (deleteOnClose_) {
      struct stat named {};
      const auto held = identity();
      if (held && ::stat(path_.c_str(), &named) == 0 && identityOf(named) == *held) ::unlink(path_.c_str());
    }
    ::close(fd_);
  }
  PosixOpenFile(const PosixOpenFile&) = delete;
  PosixOpenFile& operator=(const PosixOpenFile&) = delete;

  // Every read and write names its offset: a check may read what was
  // flushed (readAt, on another thread) while the owner writes on.
  std::optional<std::size_t> read(std::span<std::uint8_t> buffer) override {
    const auto got = readAt(position_, buffer);
    if (got) position_ += *got;
    return got;
  }

  bool write(std::span<const std::uint8_t> data) override {
    while (!data.empty()) {
      const ssize_t written = ::pwrite(fd_, data.data(), std::min<std::size_t>(data.size(), INT_MAX),
                                       static_cast<off_t>(position_));
      if (written < 0 && errno == EINTR) continue;
      if (written <= 0) return failedWith(written == 0 ? ENOSPC : errno, false);
      position_ += static_cast<std::uint64_t>(written);
      data = data.subspan(static_cast<std::size_t>(written));
    }
    return true;
  }

  bool flush() override { return ::fsync(fd_) == 0 ? true : failedWith(errno, false); }

  std::optional<std::uint64_t> size() override {
    struct stat status {};
    if (::fstat(fd_, &status) != 0) return failedWith(errno, std::nullopt);
    return static_cast<std::uint64_t>(status.st_size);
  }

  bool setLastWriteTime(FileTime time) override {
    const struct timespec times[2] = {{0, UTIME_OMIT}, timespecOf(time)};
    return ::futimens(fd_, times) == 0 ? true : failedWith(errno, false);
  }

  std::optional<std::size_t> readAt(std::uint64_t from, std::span<std::uint8_t> buffer) override {
    for (;;) {
      const ssize_t got =
          ::pread(fd_, buffer.data(), std::min<std::size_t>(buffer.size(), INT_MAX), static_cast<off_t>(from));
      if (got >= 0) return static_cast<std::size_t>(got);
      if (errno != EINTR) return failedWith(errno, std::nullopt);
    }
  }

  bool renameNoReplace(std::string_view to) override {
    const std::string target(to);
    if (!renameWithoutReplacing(path_, target)) return failedWith(errno, false);
    path_ = target;
    return syncFolderOf(path_) ? true : failedWith(errno, false);
  }

  bool deleteOnClose() override {
    deleteOnClose_ = true;
    return true;
  }

  std::optional<FileIdentity> identity() override {
    struct stat status {};
    if (::fstat(fd_, &status) != 0) return failedWith(errno, std::nullopt);
    return identityOf(status);
  }

  bool isNamed(std::string_view path) override {
    struct stat named {};
    const auto held = identity();
    return held && ::stat(std::string(path).c_str(), &named) == 0 && identityOf(named) == *held;
  }

  FileFailure lastFailure() const override {
    const std::lock_guard lock(failureMutex_);
    return lastFailure_;
  }

 private:
  template <typename T>
  T failedWith(int error, T value) {
    FileFailure failure = describeErrno(error);
    const std::lock_guard lock(failureMutex_);
    lastFailure_ = std::move(failure);
    return value;
  }

  int fd_;
  std::string path_;
  std::uint64_t position_ = 0;
  bool deleteOnClose_ = false;
  mutable std::mutex failureMutex_;  // the check thread reads at offsets too
  FileFailure lastFailure_;
};

}  // namespace

FileFailure describeErrno(int error) {
  FileFailure failure;
  switch (error) {
    case ENOENT:
    case ENOTDIR: failure.error = FileError::NotFound; break;
    case EACCES:
    case EPERM:
    case EROFS: failure.error = FileError::AccessDenied; break;
    case EBUSY:
    case ETXTBSY:
    case EWOULDBLOCK: failure.error = FileError::InUse; break;
    case ENOSPC:
    case EDQUOT: failure.error = FileError::DiskFull; break;
    case EEXIST: failure.error = FileError::AlreadyExists; break;
    default: failure.error = FileError::Other;
  }
  failure.reason = std::strerror(error);
  return failure;
}

template <typename T>
T PosixFiles::failedWith(T value) {
  lastFailure_ = describeErrno(errno);
  return value;
}

std::optional<std::uint32_t> PosixFiles::attributes(std::string_view path) {
  struct stat status {};
  if (::stat(std::string(path).c_str(), &status) != 0) return failedWith(std::optional<std::uint32_t>());
  return S_ISDIR(status.st_mode) ? AttributeDirectory : 0u;
}

bool PosixFiles::setNormalAttributes(std::string_view path) { return attributes(path).has_value(); }

bool PosixFiles::setAttributes(std::string_view path, std::uint32_t) { return attributes(path).has_value(); }

bool PosixFiles::deleteFile(std::string_view path) {
  return ::unlink(std::string(path).c_str()) == 0 ? true : failedWith(false);
}

bool PosixFiles::copyFile(std::string_view from, std::string_view to) {
  auto in = openRead(from);
  if (!in) return false;
  auto out = createNew(to);
  if (!out) return false;
  std::vector<std::uint8_t> buffer(1 << 20);
  for (;;) {
    const auto got = in->read(buffer);
    if (!got) {
      lastFailure_ = in->lastFailure();
      out->deleteOnClose();
      return false;
    }
    if (*got == 0) return true;
    if (!out->write(std::span(buffer).first(*got))) {
      lastFailure_ = out->lastFailure();
      out->deleteOnClose();
      return false;
    }
  }
}

std::vector<DirEntry> PosixFiles::list(std::string_view folder) {
  std::vector<DirEntry> entries;
  DIR* dir = ::opendir(std::string(folder).c_str());
  if (dir == nullptr) return failedWith(entries);
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    entries.push_back({name, entry->d_type == DT_DIR});
  }
  ::closedir(dir);
  return entries;
}

std::string PosixFiles::finalPath(std::string_view path) {
  char* resolved = ::realpath(std::string(path).c_str(), nullptr);
  if (resolved == nullptr) return std::string(path);
  std::string result = resolved;
  std::free(resolved);
  return result;
}

std::unique_ptr<OpenFile> PosixFiles::open(std::string_view path, int flags) {
  const std::string name(path);
  const int descriptor = ::open(name.c_str(), flags | O_CLOEXEC, 0644);
  if (descriptor < 0) return failedWith(std::unique_ptr<OpenFile>());
  return std::make_unique<PosixOpenFile>(descriptor, name);
}

std::unique_ptr<OpenFile> PosixFiles::openRead(std::string_view path) { return open(path, O_RDONLY); }

std::unique_ptr<OpenFile> PosixFiles::createNew(std::string_view path) {
  return open(path, O_RDWR | O_CREAT | O_EXCL);
}

std::unique_ptr<OpenFile> PosixFiles::openExclusive(std::string_view path) {
  const std::string name(path);
  const int descriptor = ::open(name.c_str(), O_RDWR | O_CLOEXEC);
  if (descriptor < 0) return failedWith(std::unique_ptr<OpenFile>());
  // An advisory lock: only programs that ask for one are held off, unlike on Windows.
  if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    ::close(descriptor);
    errno = error;
    return failedWith(std::unique_ptr<OpenFile>());
  }
  return std::make_unique<PosixOpenFile>(descriptor, name);
}

std::optional<FileTime> PosixFiles::lastWriteTime(std::string_view path) {
  struct stat status {};
  if (::stat(std::string(path).c_str(), &status) != 0) return failedWith(std::optional<FileTime>());
  return fileTimeOf(status.st_mtim);
}

std::optional<FileIdentity> PosixFiles::identity(std::string_view path) {
  struct stat status {};
  if (::stat(std::string(path).c_str(), &status) != 0) return failedWith(std::optional<FileIdentity>());
  return identityOf(status);
}

bool PosixFiles::renameNoReplace(std::string_view from, std::string_view to) {
  return renameWithoutReplacing(std::string(from), std::string(to)) ? true : failedWith(false);
}

std::string PosixFiles::currentDirectory() {
  char* folder = ::getcwd(nullptr, 0);
  if (folder == nullptr) return {};
  std::string result = folder;
  std::free(folder);
  return result;
}

}  // namespace platform::posix
