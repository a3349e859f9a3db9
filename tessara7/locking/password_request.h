#pragma once
// One guarded operation's request for the master password: what the prompt
// shows and guards, and what the right password does. The prompt checks the
// password by the action's rule and then runs `granted`; it knows nothing of
// the operation itself.
#include <functional>
#include <optional>
#include <string>

#include "platform/desktop.h"
#include "tessara7/locking/password_action.h"

namespace tessara {

// The prompt, as an operation that was granted sees it.
class PromptFace {
 public:
  virtual void hide() = 0;
  // The owner of a message box the operation shows.
  virtual platform::WindowHandle owner() const = 0;
  // A line on the prompt, for an operation that leaves it open.
  virtual void say(const std::string& text) = 0;
  // Whether "Ignore in future" was ticked; the tick goes with the answer.
  virtual bool takeIgnoreTick() = 0;

 protected:
  ~PromptFace() = default;
};

struct PasswordGiven {
  std::string text;  // as typed: an encryption password keeps its capitals
  PromptFace& prompt;
};

struct PasswordRequest {
  Action action = Action::None;
  std::optional<std::string> title{};  // the prompt's text; nullopt keeps its last one
  platform::WindowHandle window = 0;  // the window it guards, for the actions that guard one
  std::optional<std::string> item{};   // the guarded window's class, for a listed window
  // The process of a window locked by a program entry.
  std::optional<platform::ProcessKey> process{};
  std::function<void(const PasswordGiven&)> granted{};
};

}  // namespace tessara
