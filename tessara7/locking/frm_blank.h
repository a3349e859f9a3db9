#pragma once
// The blank screen of the computer lock: covers every monitor and the
// taskbar, below the password prompt.
#include "forms/form.h"

namespace tessara {

class App;

class FrmBlank : public forms::Form {
 public:
  explicit FrmBlank(App& app);
};

}  // namespace tessara
