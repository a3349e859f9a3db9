#pragma once
// The program-wide locks that the Tweaks and Advanced ticks switch on, as
// the load and Apply hand them to the foreground watcher and the Explorer menu.
#include "tessara7/locking/whole_program_locks.h"

namespace tessara {

struct ProgramLocks {
  bool explorerMenuNeedsPassword = false;  // "mEnPwd"
  WholeProgramLocks wholePrograms;
};

}  // namespace tessara
