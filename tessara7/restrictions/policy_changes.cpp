#include "tessara7/restrictions/policy_changes.h"

namespace tessara {

void PolicyChanges::changed() {
  if (depth_ > 0) {
    pending_ = true;
    return;
  }
  desktop_.broadcastPolicyChange();
}

PolicyChanges::Batch::~Batch() {
  if (--changes_.depth_ == 0 && changes_.pending_) {
    changes_.pending_ = false;
    try {
      changes_.desktop_.broadcastPolicyChange();
    } catch (...) {
      // A destructor throws nothing; the policies are written all the same.
    }
  }
}

}  // namespace tessara
