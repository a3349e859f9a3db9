#include "platform/sim/sim_files.h"

#include <algorithm>

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

SimFiles::Entry* SimFiles::find(std::string_view path) {
  const auto found = entries_.find(fold(normalise(path)));
  return found == entries_.end() ? nullptr : &found->second;
}

const SimFiles::Entry* SimFiles::find(std::string_view path) const {
  return const_cast<SimFiles*>(this)->find(path);
}

std::optional<std::uint32_t> SimFiles::attributes(std::string_view path) {
  const Entry* entry = find(path);
  if (entry == nullptr) return std::nullopt;
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
  const Entry* entry = find(path);
  if (entry == nullptr || entry->directory || (entry->attributes & AttributeReadOnly) != 0) return false;
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

std::size_t SimFiles::fileCount() const {
  return static_cast<std::size_t>(
      std::count_if(entries_.begin(), entries_.end(), [](const auto& e) { return !e.second.directory; }));
}

}  // namespace platform::sim
