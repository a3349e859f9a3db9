// Windows -> model: notifications and input of the child windows, handed to
// the binding of each control's kind.
#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <string>

#include "forms/win32/form_view.h"
#include "forms/win32/state_answer.h"
#include "forms/win32/state_query.h"

namespace forms::win32 {

void Win32FormView::onCommand(WPARAM wParam, LPARAM lParam) {
  const int id = LOWORD(wParam);
  const int code = HIWORD(wParam);
  HWND from = reinterpret_cast<HWND>(lParam);
  if (from == nullptr) {
    if (code == 0 || code == 1)  // a menu or an accelerator
      if (MenuItem* item = form_.findMenu(id); item && form_.acceptsMenuCommand(*item)) item->click();
    return;
  }
  Control* control = controlOf(from);
  ChildWindow* child = control ? childOf(*control) : nullptr;
  if (!child) return;
  if (form_.inputLocked()) return undoOutsideChange(*control);
  bindingOf(control->kind()).command(*control, *child, code, *this);
}

void Win32FormView::undoOutsideChange(Control& control) {
  // A click or a text that another program put into a control of a locked
  // window: the control shows the model's state again.
  ++updating_;
  syncAll(control);
  --updating_;
}

bool Win32FormView::isOutsideInput(UINT message) {
  return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
         (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST && message != WM_MOUSEMOVE) ||
         message == BM_CLICK;
}

bool Win32FormView::onNotify(const NMHDR& header, LRESULT& result) {
  Control* control = controlOf(header.hwndFrom);
  ChildWindow* child = control ? childOf(*control) : nullptr;
  if (child == nullptr) return false;
  if (form_.inputLocked() && (header.code == TCN_SELCHANGE || header.code == TCN_SELCHANGING)) {
    undoOutsideChange(*control);
    result = header.code == TCN_SELCHANGING;  // TRUE keeps the page
    return true;
  }
  const auto answer = bindingOf(control->kind()).notify(*control, *child, header, *this);
  if (!answer) return false;
  result = *answer;
  return true;
}

std::optional<LRESULT> Win32FormView::onControlColor(HDC dc, HWND window) {
  Control* control = controlOf(window);
  if (control == nullptr) return std::nullopt;
  const ControlBinding& binding = bindingOf(control->kind());
  if (binding.keepsSystemColours()) return std::nullopt;
  const std::uint32_t color = binding.textColour(*control);
  if (color != 0) SetTextColor(dc, static_cast<COLORREF>(color));  // stored as 0x00BBGGRR, like COLORREF
  if (background_) {
    SetBkColor(dc, static_cast<COLORREF>(form_.style().background));
    return reinterpret_cast<LRESULT>(background_.get());
  }
  // A tab page's body is drawn in the window colour, not the dialog colour;
  // the controls standing on it take the page's colour so that they leave
  // no grey patches.
  const int face = control->placement().tabPage >= 0 ? COLOR_WINDOW : COLOR_BTNFACE;
  SetBkColor(dc, GetSysColor(face));
  return reinterpret_cast<LRESULT>(GetSysColorBrush(face));
}

void Win32FormView::onActivate(WPARAM wParam) {
  HWND window = window_.get();
  if (!window) return;
  if (LOWORD(wParam) == WA_INACTIVE) {
    HWND focus = GetFocus();
    if (focus && IsChild(window, focus)) lastFocus_ = focus;
    return;
  }
  // Like a dialog: focus goes back to the control that had it, not to the frame.
  if (HIWORD(wParam) == 0) {
    HWND target = lastFocus_;
    if (target && !(IsWindow(target) && IsWindowVisible(target) && IsWindowEnabled(target))) target = nullptr;
    if (!target) target = GetNextDlgTabItem(window, nullptr, FALSE);
    SetFocus(target ? target : window);
  }
  if (!destroying_) form_.activate();
}

std::optional<LRESULT> Win32FormView::onCopyData(HWND asker, const COPYDATASTRUCT& data) {
  if (data.dwData != kQueryTag) return std::nullopt;
  if (!stateQueriesEnabled() || destroying_) return FALSE;
  const std::string query(static_cast<const char*>(data.lpData), data.cbData);
  const std::optional<std::string> answer = answerStateQuery(form_, query);
  if (!answer) return FALSE;
  COPYDATASTRUCT reply{};
  reply.dwData = kAnswerTag;
  reply.cbData = static_cast<DWORD>(answer->size());
  reply.lpData = const_cast<char*>(answer->data());
  SendMessageW(asker, WM_COPYDATA, reinterpret_cast<WPARAM>(window_.get()), reinterpret_cast<LPARAM>(&reply));
  return TRUE;
}

LRESULT CALLBACK Win32FormView::controlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCDESTROY) {
    const LRESULT result = callWindow(window, message, wParam, lParam);
    forgetWindowProcedure(window);
    return result;
  }
  try {
    // The parent's view is looked up first: while a form is torn down its
    // controls may already be gone, and then the view is no longer found.
    Win32FormView* view = fromWindow(GetParent(window));
    Control* control = view && !view->destroying_ ? view->controlOf(window) : nullptr;
    if (control == nullptr) return callWindow(window, message, wParam, lParam);
    return view->handleControlMessage(*control, window, message, wParam, lParam);
  } catch (...) {
    // Handlers run behind the form's error trap; this only guards the binding.
    return 0;
  }
}

LRESULT Win32FormView::handleControlMessage(Control& control, HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
  // The keys, clicks and button messages a locked window's controls get come
  // from another program: the user cannot reach a locked (hidden) window.
  if (form_.inputLocked() && isOutsideInput(message)) return 0;
  ChildWindow* child = childOf(control);
  if (child) {
    if (auto handled = bindingOf(control.kind()).windowMessage(control, *child, message, wParam, lParam, *this))
      return *handled;
  }
  return callWindow(window, message, wParam, lParam);
}

}  // namespace forms::win32
