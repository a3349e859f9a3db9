#pragma once
// Task names that name a program file ("notepad.exe"), and the lookup that
// tells which program file a window's process runs.
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/desktop.h"

namespace tessara {

// A task name ending in ".exe" (any case) with at least three characters
// before it names a program file.
bool isProgramEntry(std::string_view task);

// Whether the program entry names the file: its own name or the original
// name of its version resource (a renamed copy; Windows' own programs name
// their ".mui" language file there, which counts as the program), compared
// case-blind.
bool namesProgram(std::string_view entry, const platform::ProgramFile& file);

// The program behind a window, read once per process (by id and start, so
// a new process that reuses an id is read afresh), never once per tick.
class ProgramLookup {
 public:
  struct Found {
    platform::ProcessKey process;
    const platform::ProgramFile* file;  // valid until the next call
  };
  explicit ProgramLookup(platform::Desktop& desktop) : desktop_(desktop) {}

  // Nothing for a window without a running process.
  std::optional<Found> of(platform::WindowHandle window);

  // Above this many processes the cache forgets the ones that ended.
  static constexpr std::size_t PruneAbove = 256;
  std::size_t cached() const { return files_.size(); }

 private:
  void prune();

  platform::Desktop& desktop_;
  std::map<platform::ProcessKey, platform::ProgramFile> files_;
  // The last window asked about: while it still belongs to the same process
  // id, its process is not opened again.
  platform::WindowHandle lastWindow_ = 0;
  platform::ProcessKey lastProcess_;
};

}  // namespace tessara
