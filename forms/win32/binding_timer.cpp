// Timers: no window; they tick through the runtime's clock. Only their state
// is answered.
#include "forms/win32/bindings.h"

namespace forms::win32 {
namespace {

class TimerBinding final : public ControlBinding {
 public:
  WindowStyle windowStyle(const Control&, const StyleContext&) const override { return {}; }
  std::optional<std::string> answer(const Control& control, std::string_view property) const override {
    const auto& timer = static_cast<const Timer&>(control);
    if (property == "interval") return std::to_string(timer.interval());
    if (property == "running") return answerFlag(timer.running());
    return std::nullopt;
  }
};

}  // namespace

const ControlBinding& timerBinding() {
  static const TimerBinding binding;
  return binding;
}

}  // namespace forms::win32
