#pragma once
// The machine's wrong-password count, kept under HKEY_LOCAL_MACHINE where
// only the service and administrators change it, so that it outlives both
// the program and the service.
#include "shared/guard_channel.h"

namespace guard {

guard_channel::Tries readTries();
bool writeTries(const guard_channel::Tries& tries);

}  // namespace guard
