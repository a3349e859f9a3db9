#pragma once
// The blank screen of the computer lock: covers every monitor and the
// taskbar, below the password prompt.
#include "forms/form.h"

namespace tessara {

class LockGuard;

class FrmBlank : public forms::Form {
 public:
  // A click on it makes the guard watch the prompt closely.
  FrmBlank(forms::Runtime& runtime, LockGuard& guard);
};

}  // namespace tessara
