#include "platform/sim/sim_files.h"

#include <algorithm>
#include <vector>
#include <mutex>

#include "platform/sim/fold.h"

namespace platform::sim {
namespace {

bool hasDrive(std::string_view path) { return path.size() >= 2 && path[1] == ':'; }

// "C:\" for a drive root, else everything before the last backslash; empty
// for a root, which has no parent.
std::string parentOf(const std::string& path) {
  const auto slash = path.rfind('\\');
  if (slash == std::string::npos || slash + 1 == path.size()) return {};
  if (slash == 2 && hasDrive(path)) return path.substr(0, 3);
  return path.substr(0, slash);
}

}  // namespace

SimFiles::SimFiles() {
  setCurrentDirectory("C:\\");
  setWindowsFolder("C:\\Windows");
}

std::string SimFiles::normalise(std::string_view path) const {
  std::string result(path);
  std::replace(result.begin(), result.end(), '/', '\\');
  // Doubled backslashes inside a path name nothing more than single ones.
  for (auto at = result.find("\\\\", 1); at != std::string::npos; at = result.find("\\\\", at))
    result.erase(at, 1);
  if (!hasDrive(result) && !result.starts_with("\\\\")) {
    if (result.starts_with('\\')) {
      result = currentDirectory_.substr(0, 2) + result;  // root of the current drive
    } else {
      result = currentDirectory_ + (currentDirectory_.ends_with('\\') ? "" : "\\") + result;
    }
  }
  while (result.size() > 3 && result.ends_with('\\')) result.pop_back();
  if (result.size() == 2 && hasDrive(result)) result += '\\';
  return result;
}

std::string SimFiles::finalPath(std::string_view path) {
  // "." and ".." by name, as the system resolves them.
  const std::string whole = normalise(path);
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= whole.size()) {
    const std::size_t end = std::min(whole.find('\\', start), whole.size());
    const std::string part = whole.substr(start, end - start);
    if (part == "..") {
      if (parts.size() > 1) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  std::string resolved;
  for (const std::string& part : parts) {
    resolved += resolved.empty() ? part : "\\" + part;
    // A link leads on from wherever it stands in the path.
    if (const auto link = links_.find(fold(resolved)); link != links_.end()) resolved = link->second;
  }
  if (resolved.size() == 2) resolved += '\\';
  return resolved;
}

void SimFiles::linkFolder(std::string_view link, std::string_view target) {
  addFolder(link);
  links_[fold(normalise(link))] = normalise(target);
}

SimFiles::Entry* SimFiles::find(std::string_view path) {
  const auto found = entries_.find(fold(normalise(path)));
  return found == entries_.end() ? nullptr : &found->second;
}

const SimFiles::Entry* SimFiles::find(std::string_view path) const {
  return const_cast<SimFiles*>(this)->find(path);
}

std::optional<std::uint32_t> SimFiles::attributes(std::string_view path) {
  const Entry* entry = find(path);
  if (entry == nullptr) {
    refuse(FileError::NotFound, "The system cannot find the path specified");
    return std::nullopt;
  }
  return entry->attributes;
}

bool SimFiles::setNormalAttributes(std::string_view path) {
  Entry* entry = find(path);
  if (entry == nullptr) return false;
  // A folder keeps its folder bit; "normal" clears read-only, hidden and the rest.
  entry->attributes = entry->directory ? AttributeDirectory : AttributeNormal;
  return true;
}

bool SimFiles::deleteFile(std::string_view path) {
  FileFailure injected;
  if (injectedFailure(FileOperation::Delete, &injected)) return refuse(injected.error, injected.reason);
  const Entry* entry = find(path);
  if (entry == nullptr) return refuse(FileError::NotFound, "The system cannot find the file specified");
  if (entry->directory || (entry->attributes & AttributeReadOnly) != 0)
    return refuse(FileError::AccessDenied, "Access is denied");
  if (entry->readers > 0 || entry->writer || entry->locked)
    return refuse(FileError::InUse, "The process cannot access the file because it is being used by another process");
  entries_.erase(fold(entry->path));
  return true;
}

bool SimFiles::copyFile(std::string_view from, std::string_view to) {
  const Entry* source = find(from);
  if (source == nullptr || source->directory) return false;
  const std::string target = normalise(to);
  if (fold(target) == fold(source->path)) return false;
  const Entry* folder = find(parentOf(target));
  if (folder == nullptr || !folder->directory) return false;
  if (const Entry* existing = find(target)) {
    if (existing->directory || (existing->attributes & (AttributeReadOnly | AttributeHidden)) != 0)
      return false;
  }
  Entry copy = *source;
  copy.identity = nextIdentity();
  // An existing target keeps the spelling of its name.
  if (const Entry* existing = find(target)) copy.path = existing->path;
  else copy.path = target;
  entries_[fold(copy.path)] = std::move(copy);
  return true;
}

std::vector<DirEntry> SimFiles::list(std::string_view folder) {
  std::vector<DirEntry> result;
  const Entry* parent = find(folder);
  if (parent == nullptr || !parent->directory) return result;
  const std::string parentKey = fold(parent->path);
  // The map is ordered by full path, so the children of one folder come in
  // name order.
  for (const auto& [key, entry] : entries_) {
    if (fold(parentOf(entry.path)) != parentKey) continue;
    const auto slash = entry.path.rfind('\\');
    result.push_back({entry.path.substr(slash + 1), entry.directory});
  }
  return result;
}

void SimFiles::addFolder(std::string_view path) {
  const std::string normalised = normalise(path);
  if (const std::string parent = parentOf(normalised); !parent.empty() && find(parent) == nullptr)
    addFolder(parent);
  auto& entry = entries_[fold(normalised)];
  if (entry.path.empty()) entry = Entry{normalised, true, AttributeDirectory, {}};
}

void SimFiles::addFile(std::string_view path, std::string_view content, std::uint32_t attributes) {
  const std::string normalised = normalise(path);
  if (const std::string parent = parentOf(normalised); !parent.empty()) addFolder(parent);
  entries_[fold(normalised)] = Entry{normalised, false, attributes & ~AttributeDirectory, std::string(content)};
}

bool SimFiles::setAttributes(std::string_view path, std::uint32_t attributes) {
  Entry* entry = find(path);
  if (entry == nullptr) return false;
  entry->attributes = entry->directory ? (attributes | AttributeDirectory) : (attributes & ~AttributeDirectory);
  return true;
}

bool SimFiles::exists(std::string_view path) const { return find(path) != nullptr; }

std::optional<std::string> SimFiles::content(std::string_view path) const {
  const Entry* entry = find(path);
  if (entry == nullptr || entry->directory) return std::nullopt;
  return entry->content;
}

void SimFiles::setWindowsFolder(std::string_view path) {
  windowsFolder_ = normalise(path);
  addFolder(windowsFolder_);
}

void SimFiles::setCurrentDirectory(std::string_view path) {
  currentDirectory_ = normalise(path);  // relative to the old one
  addFolder(currentDirectory_);
}

std::vector<std::string> SimFiles::filePaths() const {
  std::vector<std::string> paths;
  for (const auto& [key, entry] : entries_)
    if (!entry.directory) paths.push_back(entry.path);
  return paths;
}

// ---------------------------------------------------------------- open files

namespace {

const char* reasonFor(FileError error) {
  switch (error) {
    case FileError::NotFound: return "The system cannot find the file specified";
    case FileError::AccessDenied: return "Access is denied";
    case FileError::InUse: return "The process cannot access the file because it is being used by another process";
    case FileError::DiskFull: return "There is not enough space on the disk";
    case FileError::AlreadyExists: return "The file exists";
    case FileError::None:
    case FileError::Other: break;
  }
  return "The request could not be performed because of an I/O device error";
}

}  // namespace

class SimOpenFile final : public OpenFile {
 public:
  SimOpenFile(SimFiles& files, std::string key, bool writer, bool readable)
      : files_(files), key_(std::move(key)), writer_(writer), readable_(readable) {
    ++files_.openFiles_;
  }
  ~SimOpenFile() override {
    --files_.openFiles_;
    if (SimFiles::Entry* entry = this->entry()) {
      if (writer_) entry->writer = false;
      else --entry->readers;
      if (deleteOnClose_) files_.entries_.erase(key_);
    }
  }

  std::optional<std::size_t> read(std::span<std::uint8_t> buffer) override {
    const std::lock_guard io(files_.ioMutex_);
    SimFiles::Entry* entry = this->entry();
    if (!readable_ || entry == nullptr) return fail(FileError::AccessDenied), std::nullopt;
    FileFailure injected;
    if (files_.injectedFailure(FileOperation::Read, &injected)) return fail(injected.error), std::nullopt;
    const std::size_t take = std::min(buffer.size(), entry->content.size() - std::min(position_, entry->content.size()));
    std::copy_n(entry->content.begin() + static_cast<std::ptrdiff_t>(position_), take, buffer.begin());
    if (const auto damaged = files_.readDamage_.find(key_);
        damaged != files_.readDamage_.end() && damaged->second >= position_ && damaged->second < position_ + take)
      buffer[damaged->second - position_] = static_cast<std::uint8_t>(~buffer[damaged->second - position_]);
    position_ += take;
    return take;
  }

  bool write(std::span<const std::uint8_t> data) override {
    const std::lock_guard io(files_.ioMutex_);
    SimFiles::Entry* entry = this->entry();
    if (!writer_ || entry == nullptr) return fail(FileError::AccessDenied);
    FileFailure injected;
    if (files_.injectedFailure(FileOperation::Write, &injected)) return fail(injected.error);
    if (files_.storedBytes() + data.size() > files_.capacity_) {
      // As the system does, a write that does not fit writes what fits.
      const std::size_t room = files_.capacity_ - std::min(files_.capacity_, files_.storedBytes());
      entry->content.append(reinterpret_cast<const char*>(data.data()), room);
      return fail(FileError::DiskFull);
    }
    entry->content.append(reinterpret_cast<const char*>(data.data()), data.size());
    entry->lastWrite = ++files_.clock_;
    return true;
  }

  bool flush() override {
    const std::lock_guard io(files_.ioMutex_);
    if (entry() == nullptr) return fail(FileError::Other);
    FileFailure injected;
    if (files_.injectedFailure(FileOperation::Flush, &injected)) return fail(injected.error);
    return true;
  }

  std::optional<std::uint64_t> size() override {
    const std::lock_guard io(files_.ioMutex_);
    SimFiles::Entry* entry = this->entry();
    if (entry == nullptr) return fail(FileError::Other), std::nullopt;
    return entry->content.size();
  }

  bool setLastWriteTime(FileTime time) override {
    SimFiles::Entry* entry = this->entry();
    if (!writer_ || entry == nullptr) return fail(FileError::AccessDenied);
    entry->lastWrite = time;
    return true;
  }

  std::optional<std::size_t> readAt(std::uint64_t offset, std::span<std::uint8_t> buffer) override {
    const std::lock_guard io(files_.ioMutex_);
    const std::size_t kept = position_;
    position_ = static_cast<std::size_t>(offset);
    const auto got = read(buffer);
    position_ = kept;
    return got;
  }

  bool renameNoReplace(std::string_view to) override {
    FileFailure injected;
    if (files_.injectedFailure(FileOperation::Rename, &injected)) return fail(injected.error);
    SimFiles::Entry* entry = this->entry();
    if (entry == nullptr) return fail(FileError::Other);
    // Others holding the file keep it from moving, as they would on the system.
    if (entry->locked || entry->readers > (writer_ ? 0 : 1)) return fail(FileError::InUse);
    const std::string target = files_.normalise(to);
    if (files_.find(target) != nullptr) return fail(FileError::AlreadyExists);
    const SimFiles::Entry* folder = files_.find(parentOf(target));
    if (folder == nullptr || !folder->directory) return fail(FileError::NotFound);
    SimFiles::Entry moved = std::move(*entry);
    files_.entries_.erase(key_);
    moved.path = target;
    key_ = fold(target);
    files_.entries_[key_] = std::move(moved);
    return true;
  }

  bool deleteOnClose() override {
    FileFailure injected;
    if (files_.injectedFailure(FileOperation::Delete, &injected)) return fail(injected.error);
    SimFiles::Entry* entry = this->entry();
    if (entry == nullptr) return fail(FileError::Other);
    if ((entry->attributes & AttributeReadOnly) != 0) return fail(FileError::AccessDenied);
    deleteOnClose_ = true;
    return true;
  }

  std::optional<FileIdentity> identity() override {
    SimFiles::Entry* entry = this->entry();
    if (entry == nullptr) return fail(FileError::Other), std::nullopt;
    return FileIdentity{1, entry->identity};
  }

  bool isNamed(std::string_view path) override {
    const SimFiles::Entry* named = files_.find(path);
    const SimFiles::Entry* held = this->entry();
    return named != nullptr && held != nullptr && named->identity == held->identity;
  }

  FileFailure lastFailure() const override {
    const std::lock_guard lock(failureMutex_);
    return lastFailure_;
  }

 private:
  SimFiles::Entry* entry() {
    const auto found = files_.entries_.find(key_);
    return found == files_.entries_.end() ? nullptr : &found->second;
  }
  bool fail(FileError error) {
    const std::lock_guard lock(failureMutex_);
    lastFailure_ = {error, reasonFor(error)};
    return false;
  }

  SimFiles& files_;
  std::string key_;
  bool writer_;
  bool readable_;
  bool deleteOnClose_ = false;
  std::size_t position_ = 0;
  // A flush may run on a worker thread beside a write.
  mutable std::mutex failureMutex_;
  FileFailure lastFailure_;
};

bool SimFiles::refuse(FileError error, std::string reason) {
  lastFailure_ = {error, std::move(reason)};
  return false;
}

bool SimFiles::injectedFailure(FileOperation operation, FileFailure* failure) {
  const int call = ++counts_[index(operation)];
  auto& faults = faults_[index(operation)];
  const auto fault = faults.find(call);
  if (fault == faults.end()) return false;
  *failure = {fault->second, reasonFor(fault->second)};
  faults.erase(fault);
  return true;
}

void SimFiles::failOn(FileOperation operation, int nth, FileError error) {
  faults_[index(operation)][counts_[index(operation)] + nth] = error;
}

void SimFiles::resetCounts() {
  counts_ = {};
  for (auto& faults : faults_) faults.clear();
}

std::size_t SimFiles::storedBytes() const {
  std::size_t total = 0;
  for (const auto& [key, entry] : entries_) total += entry.content.size();
  return total;
}

void SimFiles::lockFile(std::string_view path, bool locked) {
  if (Entry* entry = find(path)) entry->locked = locked;
}

void SimFiles::setLastWriteTime(std::string_view path, FileTime time) {
  if (Entry* entry = find(path)) entry->lastWrite = time;
}

std::unique_ptr<OpenFile> SimFiles::openRead(std::string_view path) {
  FileFailure injected;
  if (injectedFailure(FileOperation::Open, &injected)) return refuse(injected.error, injected.reason), nullptr;
  Entry* entry = find(path);
  if (entry == nullptr) return refuse(FileError::NotFound, reasonFor(FileError::NotFound)), nullptr;
  if (entry->directory) return refuse(FileError::AccessDenied, reasonFor(FileError::AccessDenied)), nullptr;
  if (entry->writer || entry->locked) return refuse(FileError::InUse, reasonFor(FileError::InUse)), nullptr;
  ++entry->readers;
  return std::make_unique<SimOpenFile>(*this, fold(entry->path), false, true);
}

std::unique_ptr<OpenFile> SimFiles::createNew(std::string_view path) {
  FileFailure injected;
  if (injectedFailure(FileOperation::Create, &injected)) return refuse(injected.error, injected.reason), nullptr;
  const std::string normalised = normalise(path);
  if (find(normalised) != nullptr) return refuse(FileError::AlreadyExists, reasonFor(FileError::AlreadyExists)), nullptr;
  const Entry* folder = find(parentOf(normalised));
  if (folder == nullptr || !folder->directory)
    return refuse(FileError::NotFound, "The system cannot find the path specified"), nullptr;
  Entry& entry = entries_[fold(normalised)] = Entry{normalised, false, AttributeArchive, {}};
  entry.lastWrite = ++clock_;
  entry.writer = true;
  return std::make_unique<SimOpenFile>(*this, fold(normalised), true, true);
}

std::unique_ptr<OpenFile> SimFiles::openExclusive(std::string_view path) {
  FileFailure injected;
  if (injectedFailure(FileOperation::Open, &injected)) return refuse(injected.error, injected.reason), nullptr;
  Entry* entry = find(path);
  if (entry == nullptr) return refuse(FileError::NotFound, reasonFor(FileError::NotFound)), nullptr;
  if (entry->directory) return refuse(FileError::AccessDenied, reasonFor(FileError::AccessDenied)), nullptr;
  if (entry->readers > 0 || entry->writer || entry->locked)
    return refuse(FileError::InUse, reasonFor(FileError::InUse)), nullptr;
  // Held as a writer is: no one else may open, delete or rename it.
  entry->writer = true;
  return std::make_unique<SimOpenFile>(*this, fold(entry->path), true, false);
}

std::optional<FileTime> SimFiles::lastWriteTime(std::string_view path) {
  const Entry* entry = find(path);
  if (entry == nullptr) return refuse(FileError::NotFound, reasonFor(FileError::NotFound)), std::nullopt;
  return entry->lastWrite;
}

bool SimFiles::renameNoReplace(std::string_view from, std::string_view to) {
  FileFailure injected;
  if (injectedFailure(FileOperation::Rename, &injected)) return refuse(injected.error, injected.reason);
  Entry* source = find(from);
  if (source == nullptr) return refuse(FileError::NotFound, reasonFor(FileError::NotFound));
  if (source->readers > 0 || source->writer || source->locked) return refuse(FileError::InUse, reasonFor(FileError::InUse));
  const std::string target = normalise(to);
  // A change of letter case alone is a rename of the same file.
  if (find(target) != nullptr && fold(target) != fold(source->path))
    return refuse(FileError::AlreadyExists, reasonFor(FileError::AlreadyExists));
  const Entry* folder = find(parentOf(target));
  if (folder == nullptr || !folder->directory) return refuse(FileError::NotFound, reasonFor(FileError::NotFound));
  if (source->directory) return refuse(FileError::AccessDenied, reasonFor(FileError::AccessDenied));
  Entry moved = std::move(*source);
  entries_.erase(fold(moved.path));
  moved.path = target;
  entries_[fold(target)] = std::move(moved);
  return true;
}

std::optional<FileIdentity> SimFiles::identity(std::string_view path) {
  const Entry* entry = find(path);
  if (entry == nullptr) return refuse(FileError::NotFound, reasonFor(FileError::NotFound)), std::nullopt;
  return FileIdentity{1, entry->identity};
}

std::size_t SimFiles::fileCount() const {
  return static_cast<std::size_t>(
      std::count_if(entries_.begin(), entries_.end(), [](const auto& e) { return !e.second.directory; }));
}

void SimFiles::damageReads(std::string_view path, std::size_t offset) {
  const std::lock_guard io(ioMutex_);
  readDamage_[fold(normalise(path))] = offset;
}

void SimFiles::damage(std::string_view path, std::size_t offset) {
  const std::lock_guard io(ioMutex_);
  Entry* entry = find(path);
  if (entry != nullptr && offset < entry->content.size()) entry->content[offset] = static_cast<char>(~entry->content[offset]);
}

}  // namespace platform::sim
