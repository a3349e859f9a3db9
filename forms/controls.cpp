#include "forms/controls.h"

#include <algorithm>
#include <stdexcept>

#include "forms/form.h"

namespace forms {
namespace {

// The highlighted entry after another one was removed: the same entry, which
// moved up when it came after the removed one; none when it was removed.
int indexAfterRemoval(int selected, int removed) {
  if (selected == removed) return -1;
  return selected > removed ? selected - 1 : selected;
}

}  // namespace

CaptionedControl::CaptionedControl(Form& owner, std::string name, Kind kind, std::string caption)
    : Control(owner, std::move(name), kind), caption_(std::move(caption)) {}

void CaptionedControl::setCaption(std::string caption) {
  if (caption_ == caption) return;
  caption_ = std::move(caption);
  changed(Property::Caption);
}

Label::Label(Form& owner, std::string name, std::string caption)
    : CaptionedControl(owner, std::move(name), Kind::Label, std::move(caption)) {}

void Label::setColor(std::uint32_t rgb) {
  if (color_ == rgb) return;
  color_ = rgb;
  changed(Property::Color);
}

Button::Button(Form& owner, std::string name, std::string caption)
    : CaptionedControl(owner, std::move(name), Kind::Button, std::move(caption)) {}

void Button::click() {
  if (effectivelyEnabled()) fire(onClick);
}

CheckBox::CheckBox(Form& owner, std::string name, std::string caption)
    : CaptionedControl(owner, std::move(name), Kind::CheckBox, std::move(caption)) {}

void CheckBox::setValue(int value) {
  if (value_ == value) return;
  value_ = value;
  changed(Property::Value);
  fire(onClick);
}

void CheckBox::click() {
  if (effectivelyEnabled()) setValue(value_ == 0 ? 1 : 0);
}

OptionButton::OptionButton(Form& owner, std::string name, std::string caption)
    : CaptionedControl(owner, std::move(name), Kind::OptionButton, std::move(caption)) {}

void OptionButton::takeSelection() {
  for (Control* other : owner().controls()) {
    if (other == this || other->kind() != Kind::OptionButton) continue;
    if (other->placement().frame != placement().frame) continue;
    auto* option = static_cast<OptionButton*>(other);
    if (option->value_) {
      option->value_ = false;
      option->changed(Property::Value);
    }
  }
  value_ = true;
  changed(Property::Value);
}

void OptionButton::select() {
  if (value_) return;
  takeSelection();
  fire(onClick);
}

void OptionButton::click() {
  if (!effectivelyEnabled()) return;
  takeSelection();
  fire(onClick);
}

TextBox::TextBox(Form& owner, std::string name, std::string text)
    : Control(owner, std::move(name), Kind::TextBox), text_(std::move(text)) {}

void TextBox::setText(std::string text) {
  if (text_ == text) return;
  text_ = std::move(text);
  changed(Property::Text);
  fire(onChange);
}

void TextBox::userSetText(std::string text) {
  if (text_ == text) return;
  text_ = std::move(text);
  fire(onChange);
}

void TextBox::keyDown(int keyCode) {
  if (onKeyDown) fire([&] { onKeyDown(keyCode); });
}

ListBox::ListBox(Form& owner, std::string name) : Control(owner, std::move(name), Kind::ListBox) {}

void ListBox::addItem(std::string text) {
  items_.push_back(std::move(text));
  changed(Property::Items);
}

void ListBox::removeItem(int index) {
  if (index < 0 || index >= count()) throw std::out_of_range("Invalid list index");
  items_.erase(items_.begin() + index);
  listIndex_ = indexAfterRemoval(listIndex_, index);
  changed(Property::Items);
}

void ListBox::clear() {
  items_.clear();
  listIndex_ = -1;
  changed(Property::Items);
}

void ListBox::setItems(std::vector<std::string> items) {
  items_ = std::move(items);
  listIndex_ = -1;
  changed(Property::Items);
}

void ListBox::setListIndex(int index) {
  if (index < -1 || index >= count()) throw std::out_of_range("Invalid list index");
  listIndex_ = index;
  changed(Property::Selection);
  fire(onClick);
}

void ListBox::userSelect(int index) {
  listIndex_ = (index >= 0 && index < count()) ? index : -1;
  fire(onClick);
}

void ListBox::keyDown(int keyCode) {
  if (onKeyDown) fire([&] { onKeyDown(keyCode); });
}

CheckList::CheckList(Form& owner, std::string name)
    : Control(owner, std::move(name), Kind::CheckList) {}

void CheckList::addItem(std::string text, bool checked) {
  entries_.push_back({std::move(text), checked});
  changed(Property::Items);
}

void CheckList::removeItem(int index) {
  if (index < 0 || index >= count()) throw std::out_of_range("Invalid list index");
  entries_.erase(entries_.begin() + index);
  listIndex_ = indexAfterRemoval(listIndex_, index);
  changed(Property::Items);
}

void CheckList::clear() {
  entries_.clear();
  listIndex_ = -1;
  changed(Property::Items);
}

void CheckList::setEntries(std::vector<Entry> entries) {
  entries_ = std::move(entries);
  listIndex_ = -1;
  changed(Property::Items);
}

void CheckList::setChecked(int index, bool checked) {
  auto& entry = entries_.at(index);
  if (entry.checked == checked) return;
  entry.checked = checked;
  changed(Property::Items);
  if (onItemCheck) fire([&] { onItemCheck(index); });
}

void CheckList::setListIndex(int index) {
  if (index < -1 || index >= count()) throw std::out_of_range("Invalid list index");
  listIndex_ = index;
  changed(Property::Selection);
}

void CheckList::userSelect(int index) { listIndex_ = (index >= 0 && index < count()) ? index : -1; }

void CheckList::keyDown(int keyCode) {
  if (onKeyDown) fire([&] { onKeyDown(keyCode); });
}

Frame::Frame(Form& owner, std::string name, std::string caption)
    : CaptionedControl(owner, std::move(name), Kind::Frame, std::move(caption)) {}

TabControl::TabControl(Form& owner, std::string name, std::vector<std::string> captions)
    : Control(owner, std::move(name), Kind::TabControl) {
  for (auto& caption : captions) tabs_.push_back({std::move(caption), true});
}

void TabControl::setTab(int index) {
  if (index < 0 || index >= static_cast<int>(tabs_.size())) throw std::out_of_range("Invalid tab");
  if (!tabs_[index].enabled || current_ == index) return;
  current_ = index;
  changed(Property::Selection);
  fire(onClick);
}

void TabControl::userSelect(int index) {
  if (index < 0 || index >= static_cast<int>(tabs_.size()) || !tabs_[index].enabled) {
    changed(Property::Selection);  // the view goes back to the current tab
    return;
  }
  setTab(index);
}

void TabControl::setTabEnabled(int index, bool enabled) {
  auto& tab = tabs_.at(index);
  if (tab.enabled == enabled) return;
  tab.enabled = enabled;
  changed(Property::Tabs);
}

ProgressBar::ProgressBar(Form& owner, std::string name, int max)
    : Control(owner, std::move(name), Kind::ProgressBar), max_(max > 0 ? max : 1) {}

void ProgressBar::setValue(int value) {
  value = std::clamp(value, 0, max_);
  if (value_ == value) return;
  value_ = value;
  changed(Property::Value);
}

Timer::Timer(Form& owner, std::string name, std::uint32_t intervalMs, bool enabled)
    : Control(owner, std::move(name), Kind::Timer), interval_(intervalMs), running_(enabled) {
  setVisible(false);
}

Timer::~Timer() { disarm(); }

void Timer::setInterval(std::uint32_t ms) {
  interval_ = ms;
  reschedule();
}

void Timer::setRunning(bool on) {
  if (running_ == on) return;
  running_ = on;
  reschedule();
}

void Timer::tick() {
  if (running_ && armed_) fire(onTimer);
}

void Timer::arm() {
  armed_ = true;
  reschedule();
}

void Timer::disarm() {
  armed_ = false;
  reschedule();
}

void Timer::reschedule() {
  auto& clock = owner().runtime().clock;
  if (timerId_ != 0) {
    clock.stopTimer(timerId_);
    timerId_ = 0;
  }
  if (armed_ && running_ && interval_ > 0) timerId_ = clock.startTimer(interval_, [this] { tick(); });
}

}  // namespace forms
