#pragma once
// The service's side of the channel (shared/guard_channel.h): one pipe
// instance, one request and one reply per connection (history events among them), answered only for the
// installed program at `program`, in the session it runs in. Returns when
// the state says stop, or at once when the pipe cannot be made (someone
// else owns its name).
#include <string>

#include "guard/guard_state.h"
#include "guard/history_keeper.h"

namespace guard {

void serveChannel(GuardState& state, HistoryKeeper& history, const std::wstring& program);

}  // namespace guard
