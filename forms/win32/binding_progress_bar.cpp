// Progress bars: the common control's bar, smooth, following the model's
// value. The user cannot change it.
#include "forms/win32/bindings.h"

#include <commctrl.h>

namespace forms::win32 {
namespace {

class ProgressBarBinding final : public ControlBinding {
 public:
  WindowStyle windowStyle(const Control&, const StyleContext&) const override {
    return {PROGRESS_CLASSW, WS_CHILD | PBS_SMOOTH, 0};
  }
  void refresh(Control& control, ChildWindow& child, Property what, BindingHost&) const override {
    if (what == Property::Value)
      SendMessageW(child.window, PBM_SETPOS, static_cast<WPARAM>(static_cast<ProgressBar&>(control).value()), 0);
  }
  void syncAll(Control& control, ChildWindow& child, BindingHost&) const override {
    const auto& bar = static_cast<const ProgressBar&>(control);
    SendMessageW(child.window, PBM_SETRANGE32, 0, bar.max());
    SendMessageW(child.window, PBM_SETPOS, static_cast<WPARAM>(bar.value()), 0);
  }
  std::optional<std::string> answer(const Control& control, std::string_view property) const override {
    const auto& bar = static_cast<const ProgressBar&>(control);
    if (property == "value") return std::to_string(bar.value());
    if (property == "max") return std::to_string(bar.max());
    return std::nullopt;
  }
};

}  // namespace

const ControlBinding& progressBarBinding() {
  static const ProgressBarBinding binding;
  return binding;
}

}  // namespace forms::win32
