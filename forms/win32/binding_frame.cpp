// Frames: a group box whose enabled and visible state reaches the controls in it.
#include "forms/win32/binding_caption.h"
#include "forms/win32/bindings.h"

namespace forms::win32 {
namespace {

class FrameBinding final : public CaptionBinding {
 public:
  WindowStyle windowStyle(const Control&, const StyleContext& context) const override {
    return {L"BUTTON", WS_CHILD | (context.startsGroup ? WS_GROUP : 0u) | BS_GROUPBOX, 0};
  }
  bool holdsOthers(Property what) const override { return what == Property::Enabled || what == Property::Visible; }
};

}  // namespace

const ControlBinding& frameBinding() {
  static const FrameBinding binding;
  return binding;
}

}  // namespace forms::win32
