#pragma once
// The program's notices: one notice window at a time, whose text a new
// notice replaces, and the wait for its answer. Kept apart from App so that
// the window and its protocol can be built alone.
#include <functional>
#include <string>

#include "forms/form.h"
#include "platform/shell.h"
#include "tessara7/settings/registry_access.h"
#include "tessara7/shell/app_state.h"
#include "tessara7/shell/frm_error.h"

namespace tessara {

class Notice {
 public:
  struct Services {
    forms::Runtime& runtime;
    AppState& state;  // NoticeText and NoticeAnswer
    platform::Shell& shell;
    RegistryAccess& registry;
    std::function<void()> waitEvents;  // lets window events run while asking
    std::function<bool()> ended;       // the program has ended: stop waiting
  };
  explicit Notice(Services services);

  // Shows the text in the notice window without waiting.
  void show(std::string text);
  // Shows the notice and waits until it is closed: "ok", "cancel", or ""
  // when it was closed with its close box.
  std::string ask(std::string text);

  FrmError& window() { return window_.get(); }
  FrmError* open() { return window_.peek(); }  // nullptr when not loaded
  void collect() { window_.collect(); }

 private:
  Services s_;
  forms::FormSlot<FrmError> window_;
};

}  // namespace tessara
