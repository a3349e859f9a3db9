// Labels: a static text that reports clicks and carries its own text colour.
#include "forms/win32/binding_caption.h"
#include "forms/win32/bindings.h"

namespace forms::win32 {
namespace {

class LabelBinding final : public CaptionBinding {
 public:
  WindowStyle windowStyle(const Control&, const StyleContext& context) const override {
    return {L"STATIC", WS_CHILD | (context.startsGroup ? WS_GROUP : 0u) | SS_LEFT | SS_NOTIFY, 0};
  }
  void command(Control& control, ChildWindow&, int code, BindingHost&) const override {
    if (code == STN_CLICKED) static_cast<Label&>(control).click();
  }
  std::uint32_t textColour(const Control& control) const override { return static_cast<const Label&>(control).color(); }

 protected:
  std::optional<std::string> answerOther(const Control& control, std::string_view property) const override {
    const auto& label = static_cast<const Label&>(control);
    if (property == "color") return std::to_string(label.color());
    if (property == "text") return label.caption();
    return std::nullopt;
  }
};

}  // namespace

const ControlBinding& labelBinding() {
  static const LabelBinding binding;
  return binding;
}

}  // namespace forms::win32
