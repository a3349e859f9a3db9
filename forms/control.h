#pragma once
// Base of every control: a name, a place on its form, and the state shared
// by all kinds (enabled, visible, tooltip). Setters tell the form's view.
#include <functional>
#include <string>

#include "forms/view.h"

namespace forms {

class Form;

enum class Kind {
  Label, Button, CheckBox, OptionButton, TextBox, ListBox, CheckList, Frame, TabControl, Timer, ProgressBar,
};

struct Rect {
  int x = 0, y = 0, width = 0, height = 0;
};

// Where a control sits: on a page of the form's tab control (or on every
// page when -1) and optionally inside a frame, whose state it inherits.
struct Placement {
  Rect rect;
  int tabPage = -1;
  class Frame* frame = nullptr;
};

class Control {
 public:
  Control(Form& owner, std::string name, Kind kind);
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  const std::string& name() const { return name_; }
  Kind kind() const { return kind_; }
  int id() const { return id_; }
  Form& owner() const { return owner_; }

  bool enabled() const { return enabled_; }
  void setEnabled(bool enabled);
  bool visible() const { return visible_; }
  void setVisible(bool visible);
  const std::string& toolTip() const { return toolTip_; }
  void setToolTip(std::string text);

  const Placement& placement() const { return placement_; }
  // Sets the layout once while the form is built.
  Control& place(Rect rect, int tabPage = -1, class Frame* frame = nullptr);

  // Enabled and visible taking the frame it sits in into account.
  bool effectivelyEnabled() const;

 protected:
  void changed(Property what);
  // Runs a handler behind the form's error trap.
  void fire(const std::function<void()>& handler);

 private:
  Form& owner_;
  std::string name_;
  Kind kind_;
  int id_;
  bool enabled_ = true;
  bool visible_ = true;
  std::string toolTip_;
  Placement placement_;
};

}  // namespace forms
