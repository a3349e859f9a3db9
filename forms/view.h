#pragma once
// What the forms model needs from whatever shows it: the Win32 binding in the
// real programs, nothing (or a simulated window) in native tests.
#include <memory>

#include "platform/desktop.h"

namespace forms {

class Control;
class Form;
class MenuItem;

enum class Property {
  Caption, Text, Value, Enabled, Visible, Items, Selection, ToolTip, Color, Tabs, Layout,
};
enum class FormProperty { Caption, Visible, Topmost, DefaultButton, Focus, Menu };

class FormView {
 public:
  virtual ~FormView() = default;
  virtual void refresh(Control& control, Property what) = 0;
  virtual void refreshMenu(MenuItem& item) = 0;
  virtual void refreshForm(FormProperty what) = 0;
  virtual platform::WindowHandle handle() const = 0;
  // The view reports activation itself (WM_ACTIVATE); else show() does.
  virtual bool reportsActivation() const = 0;
  // Destroys the window now; the view object lives on until its form goes,
  // so a handler running inside one of its messages can return safely.
  virtual void destroy() = 0;
  // The window is restored when minimised, put above the others and activated.
  virtual void raise() = 0;
  // Shows a menu at the mouse position and returns once it is closed.
  virtual void popupMenu(MenuItem& menu) = 0;
};

class ViewFactory {
 public:
  virtual ~ViewFactory() = default;
  virtual std::unique_ptr<FormView> create(Form& form) = 0;
};

}  // namespace forms
