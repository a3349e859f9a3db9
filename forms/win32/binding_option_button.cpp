// Option buttons: radio buttons grouped with their neighbours of the same
// frame; only the first of a group is a Tab stop.
#include "forms/win32/binding_caption.h"
#include "forms/win32/bindings.h"

namespace forms::win32 {
namespace {

class OptionButtonBinding final : public CaptionBinding {
 public:
  WindowStyle windowStyle(const Control&, const StyleContext& context) const override {
    return {L"BUTTON", WS_CHILD | (context.startsGroup ? WS_GROUP | WS_TABSTOP : 0u) | BS_RADIOBUTTON, 0};
  }
  bool groupsWithLikeNeighbours() const override { return true; }
  void command(Control& control, ChildWindow&, int code, BindingHost&) const override {
    if (code == BN_CLICKED) static_cast<OptionButton&>(control).click();
  }

 protected:
  void refreshOther(Control& control, ChildWindow& child, Property what, BindingHost& host) const override {
    if (what == Property::Value) syncOther(control, child, host);
  }
  void syncOther(Control& control, ChildWindow& child, BindingHost&) const override {
    SendMessageW(child.window, BM_SETCHECK, static_cast<OptionButton&>(control).value() ? BST_CHECKED : BST_UNCHECKED,
                 0);
  }
  std::optional<std::string> answerOther(const Control& control, std::string_view property) const override {
    if (property == "value") return answerFlag(static_cast<const OptionButton&>(control).value());
    return std::nullopt;
  }
};

}  // namespace

const ControlBinding& optionButtonBinding() {
  static const OptionButtonBinding binding;
  return binding;
}

}  // namespace forms::win32
