#pragma once
// The Win32 view of one form: its top-level window and one child window per
// control. The model drives it through refresh*(); notifications from the
// windows go back to the model. What is common to every control (placing,
// enabling, showing, tooltips, colours, focus) is done here; what depends on
// the kind of control is asked of the kind's binding (control_binding.h).
// The form owns the view; after destroy() the object stays alive but every
// method does nothing.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "forms/form.h"
#include "forms/view.h"
#include "forms/win32/control_binding.h"
#include "shared/win32/handles.h"

namespace forms::win32 {

// Posted by a view to itself to put its window back where the model has it
// (after another program minimised or hid it).
inline constexpr UINT kPutBackMessage = WM_APP + 0x100;

// An extra handler for messages to a form's window (tray icon callbacks,
// registered messages, ...). Returning a value ends the message there.
using MessageHook = std::function<std::optional<LRESULT>(UINT message, WPARAM, LPARAM)>;

class Win32FormView final : public FormView, private BindingHost {
 public:
  explicit Win32FormView(Form& form);
  ~Win32FormView() override;
  Win32FormView(const Win32FormView&) = delete;
  Win32FormView& operator=(const Win32FormView&) = delete;

  void refresh(Control& control, Property what) override;
  void refreshMenu(MenuItem& item) override;
  void refreshForm(FormProperty what) override;
  platform::WindowHandle handle() const override;
  bool reportsActivation() const override { return true; }
  void destroy() override;
  void raise() override;
  void popupMenu(MenuItem& menu) override;

  HWND window() const { return window_.get(); }
  // The child window that shows a control; nullptr for a timer or once destroyed.
  HWND controlWindow(const Control& control) const;
  Form& form() const override { return form_; }

  // Hooks run in the order added, before the view's own handling. They are
  // not called any more once the window is being destroyed.
  void addMessageHook(MessageHook hook);

  // The view showing a form, when the form has a Win32 view.
  static Win32FormView* viewOf(const Form& form);
  // The view whose top-level window this is, else nullptr.
  static Win32FormView* fromWindow(HWND window);

 private:
  // For the bindings.
  bool destroying() const override { return destroying_; }
  int& updateDepth() override { return updating_; }
  void syncAllEnabled() override;
  void syncAllVisible() override;
  int checkListItemHeight() const override { return checkListItemHeight_; }

  static LRESULT CALLBACK windowProc(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK controlProc(HWND, UINT, WPARAM, LPARAM);
  LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  std::optional<LRESULT> runHooks(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT handleControlMessage(Control& control, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void listenTo(HWND window);
  void reportError(const char* what) const;

  // Creation (form_view_create.cpp).
  void createWindow();
  void placeWindow();
  void createChildren();
  void createChild(Control& control, const ControlBinding& binding, bool startsGroup);
  void createToolTips();

  // Model -> windows (form_view_refresh.cpp).
  int scale(int pixels) const;
  bool shownOnScreen(const Control& control) const;
  void syncAll(Control& control);
  void syncToolTip(const Control& control, HWND window);
  void syncDefaultButton();
  void setDefaultButtonWindow(HWND button);
  void rebuildMenuBar();
  void recordMenu(const MenuItem& item, bool inBar);

  // Where the window stands (form_view_place.cpp): only the program shows,
  // hides, moves or minimises its windows.
  void keepPlace(WINDOWPOS& position);
  void keepVisibleStyle(WPARAM which, STYLESTRUCT& styles);
  std::optional<LRESULT> onSystemCommand(WPARAM command);
  void afterPlaceChanged();
  void putBack();

  // Windows -> model (form_view_input.cpp).
  void onCommand(WPARAM wParam, LPARAM lParam);
  bool onNotify(const NMHDR& header, LRESULT& result);
  std::optional<LRESULT> onControlColor(HDC dc, HWND window);
  void onActivate(WPARAM wParam);
  std::optional<LRESULT> onCopyData(HWND asker, const COPYDATASTRUCT& data);
  void undoOutsideChange(Control& control);
  static bool isOutsideInput(UINT message);
  // Windows is really ending the session (not a message some program sent).
  static bool windowsSessionEnds() { return GetSystemMetrics(SM_SHUTTINGDOWN) != 0; }

  Control* controlOf(HWND window) const;
  ChildWindow* childOf(const Control& control);

  Form& form_;
  win32kit::UniqueWindow window_;
  win32kit::UniqueWindow toolTip_;  // one per form, for every control's tip
  win32kit::UniqueFont font_;
  win32kit::UniqueBrush background_;
  win32kit::UniqueMenu menuBar_;
  UINT dpi_ = 96;
  int checkListItemHeight_ = 16;
  bool destroying_ = false;
  bool sessionEnding_ = false;
  bool putBackPosted_ = false;
  int updating_ = 0;  // > 0 while the view itself writes into its controls
  HWND lastFocus_ = nullptr;
  HWND defaultButton_ = nullptr;
  TabControl* tabControl_ = nullptr;
  std::unordered_map<const Control*, ChildWindow> children_;
  std::unordered_map<HWND, Control*> controlsByWindow_;
  std::vector<MessageHook> hooks_;
  // What the menu bar was built from, to tell a tick or enabled change
  // (updated in place) from one that needs a new menu bar.
  struct BuiltMenuItem {
    std::string caption;
    bool visible = true;
    bool inBar = false;
  };
  std::unordered_map<const MenuItem*, BuiltMenuItem> builtMenu_;
};

class Win32ViewFactory final : public ViewFactory {
 public:
  Win32ViewFactory();
  std::unique_ptr<FormView> create(Form& form) override;
};

}  // namespace forms::win32
