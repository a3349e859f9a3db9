#pragma once
// The guard itself: keeps the program at `program` running in every active
// session the marks allow, until the state says stop. A program that ended
// while its session was guarded (not by Exit, not for the uninstaller) and is
// started again leaves that in the history.
#include <string>

#include "guard/guard_state.h"
#include "guard/history_keeper.h"

namespace guard {

void runGuard(GuardState& state, HistoryKeeper& history, const std::wstring& program);

}  // namespace guard
