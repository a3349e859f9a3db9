#pragma once
// Everything a program needs from the operating system, in one bundle that
// the logic receives by reference.
#include "platform/clock.h"
#include "platform/desktop.h"
#include "platform/files.h"
#include "platform/guard.h"
#include "platform/registry.h"
#include "platform/shell.h"

namespace platform {

struct Platform {
  Registry& registry;
  Desktop& desktop;
  Shell& shell;
  Files& files;
  Clock& clock;
  Guard& guard;
};

}  // namespace platform
