// Check boxes: the button's check follows the value; a click toggles it.
#include "forms/win32/binding_caption.h"
#include "forms/win32/bindings.h"

namespace forms::win32 {
namespace {

class CheckBoxBinding final : public CaptionBinding {
 public:
  WindowStyle windowStyle(const Control&, const StyleContext& context) const override {
    return {L"BUTTON", WS_CHILD | (context.startsGroup ? WS_GROUP : 0u) | WS_TABSTOP | BS_CHECKBOX, 0};
  }
  void command(Control& control, ChildWindow&, int code, BindingHost&) const override {
    if (code == BN_CLICKED) static_cast<CheckBox&>(control).click();
  }

 protected:
  void refreshOther(Control& control, ChildWindow& child, Property what, BindingHost& host) const override {
    if (what == Property::Value) syncOther(control, child, host);
  }
  void syncOther(Control& control, ChildWindow& child, BindingHost&) const override {
    SendMessageW(child.window, BM_SETCHECK, static_cast<CheckBox&>(control).value() ? BST_CHECKED : BST_UNCHECKED, 0);
  }
  std::optional<std::string> answerOther(const Control& control, std::string_view property) const override {
    if (property == "value") return std::to_string(static_cast<const CheckBox&>(control).value());
    return std::nullopt;
  }
};

}  // namespace

const ControlBinding& checkBoxBinding() {
  static const CheckBoxBinding binding;
  return binding;
}

}  // namespace forms::win32
