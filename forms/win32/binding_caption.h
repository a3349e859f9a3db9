#pragma once
// The one implementation of a caption, for every kind that shows one
// (labels, buttons, check boxes, option buttons, frames): the window's text
// follows the model's caption, and "caption" answers it.
#include "forms/win32/control_binding.h"
#include "shared/win32/text.h"

namespace forms::win32 {

class CaptionBinding : public ControlBinding {
 public:
  void refresh(Control& control, ChildWindow& child, Property what, BindingHost& host) const override {
    if (what == Property::Caption) showCaption(control, child);
    else refreshOther(control, child, what, host);
  }
  void syncAll(Control& control, ChildWindow& child, BindingHost& host) const override {
    showCaption(control, child);
    syncOther(control, child, host);
  }
  std::optional<std::string> answer(const Control& control, std::string_view property) const override {
    if (property == "caption") return static_cast<const CaptionedControl&>(control).caption();
    return answerOther(control, property);
  }

 protected:
  // What the kind shows besides its caption.
  virtual void refreshOther(Control&, ChildWindow&, Property, BindingHost&) const {}
  virtual void syncOther(Control&, ChildWindow&, BindingHost&) const {}
  virtual std::optional<std::string> answerOther(const Control&, std::string_view) const { return std::nullopt; }

 private:
  static void showCaption(const Control& control, const ChildWindow& child) {
    SetWindowTextW(child.window, win32kit::toWide(static_cast<const CaptionedControl&>(control).caption()).c_str());
  }
};

}  // namespace forms::win32
