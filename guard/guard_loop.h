#pragma once
// The guard itself: keeps the program at `program` running in every active
// session the marks allow, until the state says stop.
#include <string>

#include "guard/guard_state.h"

namespace guard {

void runGuard(GuardState& state, const std::wstring& program);

}  // namespace guard
