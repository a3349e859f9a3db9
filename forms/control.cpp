#include "forms/control.h"

#include "forms/control_id.h"
#include "forms/controls.h"
#include "forms/form.h"

namespace forms {

Control::Control(Form& owner, std::string name, Kind kind)
    : owner_(owner), name_(std::move(name)), kind_(kind), id_(controlId(name_)) {
  owner_.registerControl(this);
}

Control::~Control() { owner_.unregisterControl(this); }

void Control::setEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  changed(Property::Enabled);
}

void Control::setVisible(bool visible) {
  if (visible_ == visible) return;
  visible_ = visible;
  changed(Property::Visible);
}

void Control::setToolTip(std::string text) {
  toolTip_ = std::move(text);
  changed(Property::ToolTip);
}

Control& Control::place(Rect rect, int tabPage, Frame* frame) {
  placement_ = {rect, tabPage, frame};
  if (frame && tabPage < 0) placement_.tabPage = frame->placement().tabPage;
  changed(Property::Layout);
  return *this;
}

bool Control::effectivelyEnabled() const {
  const Frame* frame = placement_.frame;
  return enabled_ && (frame == nullptr || frame->effectivelyEnabled());
}

void Control::changed(Property what) { owner_.controlChanged(*this, what); }

void Control::fire(const std::function<void()>& handler) { owner_.fire(handler); }

}  // namespace forms
