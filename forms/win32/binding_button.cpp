// Buttons: a push button, the default one drawn as such, that reports clicks.
#include "forms/win32/binding_caption.h"
#include "forms/win32/bindings.h"

namespace forms::win32 {
namespace {

class ButtonBinding final : public CaptionBinding {
 public:
  WindowStyle windowStyle(const Control&, const StyleContext& context) const override {
    return {L"BUTTON",
            WS_CHILD | (context.startsGroup ? WS_GROUP : 0u) | WS_TABSTOP |
                (context.isDefaultButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON),
            0};
  }
  void command(Control& control, ChildWindow&, int code, BindingHost&) const override {
    if (code == BN_CLICKED) static_cast<Button&>(control).click();
  }
};

}  // namespace

const ControlBinding& buttonBinding() {
  static const ButtonBinding binding;
  return binding;
}

}  // namespace forms::win32
