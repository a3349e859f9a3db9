#pragma once
// The services every form of a program shares.
#include <functional>
#include <string>

#include "forms/view.h"
#include "platform/clock.h"

namespace forms {

struct Runtime {
  platform::Clock& clock;
  ViewFactory* views = nullptr;  // nullptr: forms have no windows
  // Receives the description of an error a handler did not handle.
  std::function<void(const std::string&)> onHandlerError;
  // Lets pending window events run (a message pump step, or simulated time).
  std::function<void()> doEvents;
};

}  // namespace forms
