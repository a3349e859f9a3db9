#pragma once
// A window of the program as a plain object: its caption, its controls, its
// menus and its life cycle (load, show, hide, unload). A view, when the
// runtime has a view factory, shows it on screen and reports user actions.
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "forms/controls.h"
#include "forms/menu.h"
#include "forms/runtime.h"

namespace forms {

enum class Border { Sizable, FixedSingle, FixedDialog, None };

struct FormStyle {
  int width = 400;   // client area, in pixels at 96 DPI
  int height = 300;
  Border border = Border::FixedSingle;
  bool minButton = false;
  bool maxButton = false;
  bool centred = true;
  bool toolWindow = false;      // no taskbar button
  // Covers every monitor, taskbar included, and keeps covering them: no one
  // but the program moves, minimises, hides or closes it.
  bool coverScreen = false;
  std::uint32_t background = 0xFFFFFFFF;  // 0xFFFFFFFF: the system's colour
};

// Reasons a window is closed, as the query-unload handler receives them.
enum class CloseReason { User = 0, Code = 1, WindowsSession = 2, TaskManager = 3, Owner = 5 };

class Form {
 public:
  Form(Runtime& runtime, std::string name, std::string caption, FormStyle style = {});
  virtual ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  const std::string& name() const { return name_; }
  const FormStyle& style() const { return style_; }
  Runtime& runtime() const { return runtime_; }

  const std::string& caption() const { return caption_; }
  void setCaption(std::string caption);
  bool visible() const { return visible_; }
  bool loaded() const { return loaded_; }
  bool unloaded() const { return unloaded_; }
  bool topmost() const { return topmost_; }

  // Loads the window (runs the load handler once) without showing it.
  void load();
  // Shows the window without waiting; loads it first when needed.
  void show();
  // Shows the window and brings it back where it belongs: restored when it
  // was minimised, above the other windows, and active.
  void raise();
  void hide();
  // Closes the window for good: runs the unload handler, stops its timers,
  // destroys its view. A FormSlot hands out a fresh object afterwards.
  void unload();
  // A close that the window itself or the system asked for. The query-unload
  // handler may keep the window open with cancelClose().
  void close(CloseReason reason);
  void cancelClose() { closeCancelled_ = true; }
  void activate();  // the window became the active one
  // A mouse button went down on the window's background (not on a control).
  void mouseDown() { fire(onMouseDown); }
  // The program is ending: timers stop for good, no handler runs any more.
  void halt();
  void setTopmost(bool on);

  // While the window is locked, what reaches it from outside does nothing:
  // the view drops commands, clicks and keys meant for its controls, and only
  // menu items marked runsWhileLocked() answer their command (a menu's
  // commands come as messages that any program can post).
  // The program tells when through a predicate, asked at every message.
  void setInputLock(std::function<bool()> locked) { inputLock_ = std::move(locked); }
  bool inputLocked() const { return inputLock_ && inputLock_(); }
  // Whether a menu command that arrived as a message may run now.
  bool acceptsMenuCommand(const MenuItem& item) const { return item.runsWhileLocked() || !inputLocked(); }

  Button* defaultButton() const { return defaultButton_; }
  void setDefaultButton(Button& button);
  Control* focus() const { return focus_; }
  void setFocus(Control& control);

  const std::vector<Control*>& controls() const { return controls_; }
  Control* findControl(const std::string& name) const;
  Control* findControl(int id) const;

  MenuItem& addMenu(std::string name, std::string caption);
  const std::vector<std::unique_ptr<MenuItem>>& menus() const { return menus_; }
  MenuItem* findMenu(int id) const;
  MenuItem* findMenu(const std::string& name) const;
  void popupMenu(MenuItem& menu);

  // The window's handle while a view shows it, else 0.
  platform::WindowHandle handle() const;
  FormView* view() const { return view_.get(); }

  // Runs a handler, turning an escaping error into the runtime's notice.
  void fire(const std::function<void()>& handler);

  // While a batch is open, the view learns of changed list contents and
  // selections once, when the outermost batch ends (see UpdateBatch).
  void beginUpdate() { ++updateDepth_; }
  void endUpdate();

  // Creates the form's window now, before its load, so that a host can hook
  // its messages first (load creates it otherwise).
  void ensureView();

  std::function<void()> onLoad;
  std::function<void()> onActivate;
  std::function<void()> onMouseDown;
  std::function<void(CloseReason)> onQueryUnload;
  std::function<void()> onUnload;
  std::function<void()> onTerminate;

 private:
  friend class Control;
  friend class MenuItem;
  void registerControl(Control* control) { controls_.push_back(control); }
  // The window goes with the first control destroyed, while the others still live.
  void unregisterControl(Control* control);
  void controlChanged(Control& control, Property what);
  void menuChanged(MenuItem& item);
  void formChanged(FormProperty what);

  Runtime& runtime_;
  std::string name_;
  std::string caption_;
  FormStyle style_;
  bool visible_ = false;
  bool loaded_ = false;
  bool unloaded_ = false;
  bool topmost_ = false;
  bool halted_ = false;
  std::function<bool()> inputLock_;
  bool closeCancelled_ = false;
  Button* defaultButton_ = nullptr;
  Control* focus_ = nullptr;
  std::vector<Control*> controls_;
  std::vector<std::unique_ptr<MenuItem>> menus_;
  std::unique_ptr<FormView> view_;
  int updateDepth_ = 0;
  std::vector<std::pair<Control*, Property>> heldBack_;  // in the order first changed
};

// Fills lists without showing every entry on its way: the form's view sees
// each changed list once, at the end of the outermost batch.
class UpdateBatch {
 public:
  explicit UpdateBatch(Form& form) : form_(form) { form_.beginUpdate(); }
  ~UpdateBatch() { form_.endUpdate(); }
  UpdateBatch(const UpdateBatch&) = delete;
  UpdateBatch& operator=(const UpdateBatch&) = delete;

 private:
  Form& form_;
};

// Holds the one instance of a window class. After the window unloads, the
// next access makes a fresh one, as a window reopened from its design does.
// The old object lives on until collect(), so a handler that unloads its own
// window can finish safely.
template <typename T>
class FormSlot {
 public:
  explicit FormSlot(std::function<std::unique_ptr<T>()> make) : make_(std::move(make)) {}
  T& get() {
    if (!current_ || current_->unloaded()) {
      if (current_) retired_.push_back(std::move(current_));
      current_ = make_();
    }
    return *current_;
  }
  T& operator*() { return get(); }
  T* operator->() { return &get(); }
  // The live instance, if any, without making one.
  T* peek() const { return current_ && !current_->unloaded() ? current_.get() : nullptr; }
  bool isLoaded() const { return peek() != nullptr && current_->loaded(); }
  void collect() { retired_.clear(); }

 private:
  std::function<std::unique_ptr<T>()> make_;
  std::unique_ptr<T> current_;
  std::vector<std::unique_ptr<T>> retired_;
};

}  // namespace forms
