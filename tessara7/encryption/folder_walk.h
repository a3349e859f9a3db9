#pragma once
// The encryption run's view of folders: the files of one folder (as the
// run's file list shows them) and the walk that lists every folder below a
// start folder.
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/files.h"

namespace tessara::encryption {

// A folder the run was to read cannot be read: its path and the system's reason.
class FolderUnreadable : public std::runtime_error {
 public:
  FolderUnreadable(std::string path, const std::string& reason);
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// A folder path as the file list reports it: no trailing backslash, except
// for a drive's root ("d:" and "d:\" are both "d:\").
std::string folderAsListed(const std::string& path);

// The files of a folder, hidden and system ones included, in the order the
// file system gives them, without its sub-folders and without the
// encryption component's temporary files. Throws FolderUnreadable when the
// path names no folder.
std::vector<std::string> filesOf(platform::Files& files, const std::string& folder);

// Every folder below `start`, in pre-order (a folder before its own
// sub-folders, siblings in the file system's order), each as start + "\" +
// names. Folders whose name begins with "." are passed over with everything
// below them, and so are the folders `passOver` names.
std::vector<std::string> subFolders(platform::Files& files, const std::string& start,
                                    const std::function<bool(const std::string&)>& passOver = {});

}  // namespace tessara::encryption
