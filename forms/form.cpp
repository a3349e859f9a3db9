#include "forms/form.h"

#include <algorithm>
#include <exception>
#include <vector>

namespace forms {

Form::Form(Runtime& runtime, std::string name, std::string caption, FormStyle style)
    : runtime_(runtime), name_(std::move(name)), caption_(std::move(caption)), style_(style) {}

Form::~Form() {
  if (view_) view_->destroy();
}

void Form::unregisterControl(Control* control) {
  if (view_ && !unloaded_) {
    unloaded_ = true;
    view_->destroy();
  }
  std::erase(controls_, control);
  std::erase_if(heldBack_, [control](const auto& change) { return change.first == control; });
}

void Form::setCaption(std::string caption) {
  if (caption_ == caption) return;
  caption_ = std::move(caption);
  formChanged(FormProperty::Caption);
}

void Form::ensureView() {
  if (!view_ && runtime_.views) view_ = runtime_.views->create(*this);
}

void Form::load() {
  if (loaded_ || unloaded_) return;
  loaded_ = true;
  ensureView();
  fire(onLoad);
  if (unloaded_ || halted_) return;
  for (Control* control : controls_)
    if (control->kind() == Kind::Timer) static_cast<Timer*>(control)->arm();
}

void Form::show() {
  load();
  if (unloaded_) return;
  visible_ = true;
  formChanged(FormProperty::Visible);
  if (!view_ || !view_->reportsActivation()) activate();
}

void Form::raise() {
  show();
  if (view_ && !unloaded_) view_->raise();
}

void Form::hide() {
  if (!visible_) return;
  visible_ = false;
  formChanged(FormProperty::Visible);
}

void Form::unload() {
  if (!loaded_ || unloaded_) return;
  fire(onUnload);
  unloaded_ = true;
  visible_ = false;
  for (Control* control : controls_)
    if (control->kind() == Kind::Timer) static_cast<Timer*>(control)->disarm();
  if (view_) view_->destroy();
  fire(onTerminate);
}

void Form::close(CloseReason reason) {
  closeCancelled_ = false;
  if (onQueryUnload) fire([&] { onQueryUnload(reason); });
  if (closeCancelled_) return;
  unload();
}

void Form::activate() { fire(onActivate); }

void Form::halt() {
  halted_ = true;
  for (Control* control : controls_)
    if (control->kind() == Kind::Timer) static_cast<Timer*>(control)->disarm();
}

void Form::setTopmost(bool on) {
  topmost_ = on;
  formChanged(FormProperty::Topmost);
}

void Form::setDefaultButton(Button& button) {
  defaultButton_ = &button;
  formChanged(FormProperty::DefaultButton);
}

void Form::setFocus(Control& control) {
  focus_ = &control;
  formChanged(FormProperty::Focus);
}

Control* Form::findControl(const std::string& name) const {
  for (Control* control : controls_)
    if (control->name() == name) return control;
  return nullptr;
}

Control* Form::findControl(int id) const {
  for (Control* control : controls_)
    if (control->id() == id) return control;
  return nullptr;
}

MenuItem& Form::addMenu(std::string name, std::string caption) {
  menus_.push_back(std::make_unique<MenuItem>(*this, std::move(name), std::move(caption)));
  return *menus_.back();
}

MenuItem* Form::findMenu(int id) const {
  for (auto& menu : menus_)
    if (MenuItem* found = menu->find(id)) return found;
  return nullptr;
}

MenuItem* Form::findMenu(const std::string& name) const {
  for (auto& menu : menus_)
    if (MenuItem* found = menu->find(name)) return found;
  return nullptr;
}

void Form::popupMenu(MenuItem& menu) {
  if (view_) view_->popupMenu(menu);
}

platform::WindowHandle Form::handle() const { return view_ ? view_->handle() : 0; }

void Form::fire(const std::function<void()>& handler) {
  if (!handler || halted_) return;
  try {
    handler();
  } catch (const std::exception& error) {
    if (runtime_.onHandlerError) runtime_.onHandlerError(error.what());
  } catch (...) {
    if (runtime_.onHandlerError) runtime_.onHandlerError("Unexpected error");
  }
}

void Form::controlChanged(Control& control, Property what) {
  if (!view_ || unloaded_) return;
  if (updateDepth_ > 0 && (what == Property::Items || what == Property::Selection)) {
    const std::pair<Control*, Property> change{&control, what};
    if (std::find(heldBack_.begin(), heldBack_.end(), change) == heldBack_.end()) heldBack_.push_back(change);
    return;
  }
  view_->refresh(control, what);
}

void Form::endUpdate() {
  if (updateDepth_ == 0 || --updateDepth_ > 0) return;
  const auto changes = std::exchange(heldBack_, {});
  for (const auto& [control, what] : changes)
    if (view_ && !unloaded_) view_->refresh(*control, what);
}

void Form::menuChanged(MenuItem& item) {
  if (view_ && !unloaded_) view_->refreshMenu(item);
}

void Form::formChanged(FormProperty what) {
  if (view_ && !unloaded_) view_->refreshForm(what);
}

}  // namespace forms
