#pragma once
// How one kind of control lives as a real window. Each kind has one binding
// object, in its own file (binding_<kind>.cpp), that holds everything the
// kind does: the window class and styles it is created with, how the window
// follows the model, what the window's notifications and input do to the
// model, and the kind's answers to state queries. The view (form_view.h)
// does what is common to all kinds and asks the binding for the rest.
//
// A new kind of control: its model class in forms/controls.h with a Kind,
// its binding file here, and its row in bindingOf() (control_binding.cpp).
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "forms/form.h"

namespace forms::win32 {

struct WindowStyle {
  const wchar_t* className = nullptr;  // nullptr: the control has no window
  DWORD style = 0;
  DWORD exStyle = 0;
};

// What the view keeps of one control's window.
struct ChildWindow {
  HWND window = nullptr;
  std::vector<std::string> shownItems;  // list kinds: what the list box holds now
  std::vector<char> shownTicks;         // check list: the ticks (item data) the list box holds
  std::vector<int> stripToTab;          // tab control: strip position -> model tab
};

// What a binding may ask of the view that shows its control.
class BindingHost {
 public:
  virtual Form& form() const = 0;
  // The window is being torn down: no handler may run any more.
  virtual bool destroying() const = 0;
  // Counts the view's own writes into its windows, whose notifications must
  // not come back to the model.
  virtual int& updateDepth() = 0;
  virtual void syncAllEnabled() = 0;
  virtual void syncAllVisible() = 0;
  virtual int checkListItemHeight() const = 0;

 protected:
  ~BindingHost() = default;
};

// Marks a write of the view into its windows for as long as it lives.
class ViewUpdate {
 public:
  explicit ViewUpdate(BindingHost& host) : depth_(host.updateDepth()) { ++depth_; }
  ~ViewUpdate() { --depth_; }
  ViewUpdate(const ViewUpdate&) = delete;
  ViewUpdate& operator=(const ViewUpdate&) = delete;

 private:
  int& depth_;
};

struct StyleContext {
  bool isDefaultButton = false;
  bool startsGroup = true;  // the first of a group, so that Tab and the arrows move as in a dialog
};

class ControlBinding {
 public:
  virtual ~ControlBinding() = default;

  // --- Creation ---------------------------------------------------------------
  virtual WindowStyle windowStyle(const Control& control, const StyleContext& context) const = 0;
  // Controls of this kind that follow each other in one frame make one group.
  virtual bool groupsWithLikeNeighbours() const { return false; }
  // The view sees the window's own messages (keys, mouse) and hands them to windowMessage().
  virtual bool listensToWindow() const { return false; }

  // --- Model -> window ----------------------------------------------------------
  // A change of a property whose meaning depends on the kind (Caption, Text,
  // Value, Items, Selection, Tabs); the view handles the common ones.
  virtual void refresh(Control& /*control*/, ChildWindow& /*child*/, Property /*what*/, BindingHost& /*host*/) const {}
  // Everything the kind shows, once its window exists.
  virtual void syncAll(Control& /*control*/, ChildWindow& /*child*/, BindingHost& /*host*/) const {}
  // Frames and tab controls: their enabled or visible state reaches the
  // controls that stand in them.
  virtual bool holdsOthers(Property /*what*/) const { return false; }

  // --- Window -> model ----------------------------------------------------------
  // WM_COMMAND from the window, with its notification code.
  virtual void command(Control& /*control*/, ChildWindow& /*child*/, int /*code*/, BindingHost& /*host*/) const {}
  // WM_NOTIFY from the window; nullopt when not handled.
  virtual std::optional<LRESULT> notify(Control& /*control*/, ChildWindow& /*child*/, const NMHDR& /*header*/,
                                        BindingHost& /*host*/) const {
    return std::nullopt;
  }
  // A message to the window itself (listensToWindow); nullopt leaves it to
  // the window's own procedure (callWindow()).
  virtual std::optional<LRESULT> windowMessage(Control& /*control*/, ChildWindow& /*child*/, UINT /*message*/,
                                               WPARAM /*wParam*/, LPARAM /*lParam*/, BindingHost& /*host*/) const {
    return std::nullopt;
  }
  // Owner-drawn items: their height, and painting one.
  virtual bool measureItem(MEASUREITEMSTRUCT& /*item*/, BindingHost& /*host*/) const { return false; }
  virtual bool drawItem(const DRAWITEMSTRUCT& /*item*/) const { return false; }

  // --- Colours ------------------------------------------------------------------
  // Edit and list boxes keep the system's colours; the others take the
  // colour of the page or form they stand on.
  virtual bool keepsSystemColours() const { return false; }
  virtual std::uint32_t textColour(const Control& /*control*/) const { return 0; }

  // --- State queries (state_query.h) ----------------------------------------------
  // The answers only this kind gives; the view answers enabled, visible and tooltip.
  virtual std::optional<std::string> answer(const Control& /*control*/, std::string_view /*property*/) const {
    return std::nullopt;
  }
};

const ControlBinding& bindingOf(Kind kind);

// The window's own procedure, for a message the view passes on.
LRESULT callWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The view keeps the window's own procedure when it starts listening to it,
// and forgets it when the window is gone (WM_NCDESTROY has been passed on).
void keepWindowProcedure(HWND window, WNDPROC procedure);
void forgetWindowProcedure(HWND window);

// Joins entries into a state answer, one per line.
std::string answerLines(const std::vector<std::string>& entries);
inline std::string answerFlag(bool on) { return on ? "1" : "0"; }

}  // namespace forms::win32
