// Windows -> model: notifications and input of the child windows.
#include <windows.h>

#include <optional>
#include <commctrl.h>

#include <string>

#include "forms/win32/check_list_paint.h"
#include "forms/win32/form_view.h"
#include "forms/win32/state_answer.h"
#include "forms/win32/state_query.h"
#include "shared/win32/text.h"

namespace forms::win32 {

namespace {

int selectedIndex(HWND list) { return static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0)); }

// Enter is the default button's key; without one, a control with a key
// handler gets it, as the forms' handlers expect.
bool wantsEnter(LPARAM lParam, bool hasKeyHandler, const Form& form) {
  const auto* message = reinterpret_cast<const MSG*>(lParam);
  return message && message->message == WM_KEYDOWN && message->wParam == VK_RETURN && hasKeyHandler &&
         form.defaultButton() == nullptr;
}

}  // namespace

void Win32FormView::onCommand(WPARAM wParam, LPARAM lParam) {
  const int id = LOWORD(wParam);
  const int code = HIWORD(wParam);
  HWND from = reinterpret_cast<HWND>(lParam);
  if (from == nullptr) {
    if (code == 0 || code == 1)  // a menu or an accelerator
      if (MenuItem* item = form_.findMenu(id)) item->click();
    return;
  }
  Control* control = controlOf(from);
  if (control == nullptr) return;
  switch (control->kind()) {
    case Kind::Label:
      if (code == STN_CLICKED) static_cast<Label*>(control)->click();
      break;
    case Kind::Button:
      if (code == BN_CLICKED) static_cast<Button*>(control)->click();
      break;
    case Kind::CheckBox:
      if (code == BN_CLICKED) static_cast<CheckBox*>(control)->click();
      break;
    case Kind::OptionButton:
      if (code == BN_CLICKED) static_cast<OptionButton*>(control)->click();
      break;
    case Kind::TextBox:
      if (code == EN_CHANGE && updating_ == 0) static_cast<TextBox*>(control)->userSetText(win32kit::windowText(from));
      break;
    case Kind::ListBox:
      if (code == LBN_SELCHANGE && updating_ == 0) static_cast<ListBox*>(control)->userSelect(selectedIndex(from));
      else if (code == LBN_DBLCLK) static_cast<ListBox*>(control)->dblClick();
      break;
    case Kind::CheckList:
      if (code == LBN_SELCHANGE && updating_ == 0) static_cast<CheckList*>(control)->userSelect(selectedIndex(from));
      break;
    default:
      break;
  }
}

bool Win32FormView::onNotify(const NMHDR& header, LRESULT& result) {
  Control* control = controlOf(header.hwndFrom);
  if (control == nullptr || control->kind() != Kind::TabControl) return false;
  auto& tabs = *static_cast<TabControl*>(control);
  Child* child = childOf(tabs);
  if (child == nullptr) return false;
  const auto position = static_cast<int>(SendMessageW(header.hwndFrom, TCM_GETCURSEL, 0, 0));
  if (header.code == TCN_SELCHANGING) {
    result = FALSE;  // the strip holds only tabs that may be chosen
    return true;
  }
  if (header.code == TCN_SELCHANGE && updating_ == 0) {
    if (position >= 0 && position < static_cast<int>(child->stripToTab.size()))
      tabs.userSelect(child->stripToTab[static_cast<std::size_t>(position)]);
    result = 0;
    return true;
  }
  return false;
}

std::optional<LRESULT> Win32FormView::onControlColor(HDC dc, HWND window) {
  Control* control = controlOf(window);
  if (control == nullptr) return std::nullopt;
  const Kind kind = control->kind();
  if (kind == Kind::TextBox || kind == Kind::ListBox || kind == Kind::CheckList) return std::nullopt;
  const std::uint32_t color = kind == Kind::Label ? static_cast<Label*>(control)->color() : 0;
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

LRESULT CALLBACK Win32FormView::controlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                            DWORD_PTR data) {
  try {
    if (message == WM_NCDESTROY) {
      RemoveWindowSubclass(window, &Win32FormView::controlProc, id);
      return DefSubclassProc(window, message, wParam, lParam);
    }
    // The parent's view is looked up first: while a form is torn down its
    // controls may already be gone, and then the view is no longer found.
    Win32FormView* view = fromWindow(GetParent(window));
    if (view == nullptr || view->destroying_) return DefSubclassProc(window, message, wParam, lParam);
    return view->handleControlMessage(*reinterpret_cast<Control*>(data), window, message, wParam, lParam);
  } catch (...) {
    // Handlers run behind the form's error trap; this only guards the binding.
    return 0;
  }
}

LRESULT Win32FormView::handleControlMessage(Control& control, HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
  // Enter and key presses reach the key handler alike for every kind that has one.
  auto keys = [&](bool hasKeyHandler, auto keyDown) -> std::optional<LRESULT> {
    if (message == WM_GETDLGCODE) {
      LRESULT code = DefSubclassProc(window, message, wParam, lParam);
      if (wantsEnter(lParam, hasKeyHandler, form_)) code |= DLGC_WANTMESSAGE;
      return code;
    }
    if (message == WM_KEYDOWN) {
      keyDown(static_cast<int>(wParam));
      if (!IsWindow(window) || destroying_) return 0;  // the handler closed the form
    }
    return std::nullopt;
  };
  switch (control.kind()) {
    case Kind::TextBox: {
      auto& text = static_cast<TextBox&>(control);
      if (auto handled = keys(static_cast<bool>(text.onKeyDown), [&](int key) { text.keyDown(key); }))
        return *handled;
      if (message == WM_LBUTTONUP) {
        // On release, so that a handler opening a window finds the mouse free.
        const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
        text.click();
        return result;
      }
      break;
    }
    case Kind::ListBox: {
      auto& list = static_cast<ListBox&>(control);
      if (auto handled = keys(static_cast<bool>(list.onKeyDown), [&](int key) { list.keyDown(key); }))
        return *handled;
      break;
    }
    case Kind::CheckList: {
      auto& list = static_cast<CheckList&>(control);
      if (auto handled = keys(static_cast<bool>(list.onKeyDown), [&](int key) { list.keyDown(key); }))
        return *handled;
      if (message == WM_KEYDOWN && wParam == VK_SPACE) {
        const int index = selectedIndex(window);
        if (index >= 0 && index < list.count()) list.setChecked(index, !list.checked(index));
        return 0;
      }
      if (message == WM_CHAR && wParam == L' ') return 0;  // the space bar ticks; it is not a search key here
      if (message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK) {
        const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
        if (!destroying_) onCheckListClick(list, window, lParam);
        return result;
      }
      break;
    }
    default:
      break;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

void Win32FormView::onCheckListClick(CheckList& list, HWND window, LPARAM lParam) {
  const int x = static_cast<short>(LOWORD(lParam));
  if (x >= checkBoxAreaWidth(checkListItemHeight_)) return;
  const LRESULT hit = SendMessageW(window, LB_ITEMFROMPOINT, 0, lParam);
  if (HIWORD(hit) != 0) return;  // below the last entry
  const int index = LOWORD(hit);
  if (index < list.count()) list.setChecked(index, !list.checked(index));
}

}  // namespace forms::win32
