#include "tessara7/encryption/folder_walk.h"

#include "tessara7/encryption/encryption_component.h"

namespace tessara::encryption {
namespace {

// The longest path the system's wide functions take.
constexpr std::size_t LongestPath = 32767;

std::string withBackslash(std::string path) {
  if (!path.ends_with('\\')) path += '\\';
  return path;
}

}  // namespace

FolderUnreadable::FolderUnreadable(std::string path, const std::string& reason)
    : std::runtime_error("Cannot open " + path + ": " + reason + "."), path_(std::move(path)) {}

std::string folderAsListed(const std::string& path) {
  std::string folder = path;
  while (folder.size() > 1 && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
  if (folder.size() == 2 && folder[1] == ':') folder += '\\';
  return folder;
}

std::vector<std::string> filesOf(platform::Files& files, const std::string& folder) {
  const auto attributes = files.attributes(folder);
  if (!attributes) {
    const platform::FileFailure failure = files.lastFailure();
    throw FolderUnreadable(folder, failure.reason.empty() ? "it cannot be found" : failure.reason);
  }
  if ((*attributes & platform::AttributeDirectory) == 0) throw FolderUnreadable(folder, "it is not a folder");
  std::vector<std::string> names;
  for (platform::DirEntry& entry : files.list(folder))
    if (!entry.directory && !EncryptionComponent::isTemporaryName(entry.name)) names.push_back(std::move(entry.name));
  return names;
}

std::vector<std::string> subFolders(platform::Files& files, const std::string& start,
                                    const std::function<bool(const std::string&)>& passOver) {
  // Depth first without recursion: a deep tree cannot exhaust the stack.
  struct Level {
    std::string folder;  // with a trailing backslash
    std::vector<platform::DirEntry> entries;
    std::size_t next = 0;
  };
  std::vector<std::string> found;
  std::vector<Level> levels;
  levels.push_back({withBackslash(start), files.list(start), 0});
  while (!levels.empty()) {
    Level& level = levels.back();
    if (level.next == level.entries.size()) {
      levels.pop_back();
      continue;
    }
    const platform::DirEntry& entry = level.entries[level.next++];
    if (!entry.directory || entry.name.empty() || entry.name.front() == '.') continue;
    std::string path = level.folder + entry.name;
    // A link that leads back up would go on for ever; the system's own
    // limit on a path's length ends it.
    if (path.size() >= LongestPath) continue;
    if (passOver && passOver(path)) continue;
    found.push_back(path);
    std::vector<platform::DirEntry> entries = files.list(path);
    levels.push_back({withBackslash(std::move(path)), std::move(entries), 0});
  }
  return found;
}

}  // namespace tessara::encryption
