// Model -> windows: bringing the child windows in line with the controls.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "forms/win32/form_view.h"
#include "forms/win32/menu_builder.h"
#include "shared/win32/text.h"

namespace forms::win32 {

using win32kit::toWide;
using win32kit::UniqueMenu;

bool Win32FormView::shownOnScreen(const Control& control) const {
  if (!control.visible()) return false;
  for (const Frame* frame = control.placement().frame; frame; frame = frame->placement().frame)
    if (!frame->visible()) return false;
  const int page = control.placement().tabPage;
  if (page >= 0 && tabControl_ && &control != tabControl_)
    return tabControl_->visible() && tabControl_->tab() == page;
  return true;
}

void Win32FormView::refresh(Control& control, Property what) {
  if (destroying_) return;
  ChildWindow* child = childOf(control);
  const ControlBinding& binding = bindingOf(control.kind());
  switch (what) {
    case Property::Enabled:
      if (binding.holdsOthers(what)) syncAllEnabled();
      else if (child) EnableWindow(child->window, control.effectivelyEnabled());
      return;
    case Property::Visible:
      if (binding.holdsOthers(what)) syncAllVisible();
      else if (child) ShowWindow(child->window, shownOnScreen(control) ? SW_SHOWNA : SW_HIDE);
      return;
    case Property::Layout:
      if (child) {
        const Rect& rect = control.placement().rect;
        MoveWindow(child->window, scale(rect.x), scale(rect.y), scale(rect.width), scale(rect.height), TRUE);
      }
      return;
    case Property::ToolTip:
      if (child) syncToolTip(control, child->window);
      return;
    case Property::Color:
      if (child) InvalidateRect(child->window, nullptr, TRUE);
      return;
    default:
      if (child) binding.refresh(control, *child, what, *this);
      return;
  }
}

void Win32FormView::syncAll(Control& control) {
  ChildWindow* child = childOf(control);
  if (!child) return;
  bindingOf(control.kind()).syncAll(control, *child, *this);
  if (!control.toolTip().empty()) syncToolTip(control, child->window);
}

void Win32FormView::syncToolTip(const Control& control, HWND window) {
  if (!toolTip_) return;
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;  // understood by every version of the common controls
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = window_.get();
  tool.uId = reinterpret_cast<UINT_PTR>(window);
  SendMessageW(toolTip_.get(), TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  if (control.toolTip().empty()) return;
  std::wstring text = toWide(control.toolTip());
  tool.lpszText = text.data();
  SendMessageW(toolTip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void Win32FormView::syncAllEnabled() {
  for (auto& [control, child] : children_) EnableWindow(child.window, control->effectivelyEnabled());
}

void Win32FormView::syncAllVisible() {
  for (auto& [control, child] : children_) {
    const bool shown = shownOnScreen(*control);
    const bool isShown = (GetWindowLongPtrW(child.window, GWL_STYLE) & WS_VISIBLE) != 0;
    if (shown != isShown) ShowWindow(child.window, shown ? SW_SHOWNA : SW_HIDE);
  }
}

void Win32FormView::syncDefaultButton() {
  Button* button = form_.defaultButton();
  HWND window = button ? controlWindow(*button) : nullptr;
  SendMessageW(window_.get(), DM_SETDEFID, window ? static_cast<WPARAM>(GetDlgCtrlID(window)) : 0, 0);
}

void Win32FormView::setDefaultButtonWindow(HWND button) {
  if (button != nullptr && controlOf(button) == nullptr) button = nullptr;
  if (defaultButton_ == button) return;
  if (defaultButton_) SendMessageW(defaultButton_, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
  defaultButton_ = button;
  if (defaultButton_) SendMessageW(defaultButton_, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
}

void Win32FormView::rebuildMenuBar() {
  HWND window = window_.get();
  if (!window) return;
  UniqueMenu bar = buildMenuBar(form_.menus());
  builtMenu_.clear();
  for (const auto& menu : form_.menus()) recordMenu(*menu, bar && menu->visible());
  const bool hadBar = static_cast<bool>(menuBar_);
  SetMenu(window, bar.get());
  menuBar_ = std::move(bar);  // frees the old bar, now detached
  if (menuBar_ || hadBar) DrawMenuBar(window);
}

void Win32FormView::recordMenu(const MenuItem& item, bool inBar) {
  builtMenu_[&item] = {item.caption(), item.visible(), inBar};
  for (const auto& child : item.items()) recordMenu(*child, inBar && child->visible());
}

void Win32FormView::refreshMenu(MenuItem& item) {
  if (destroying_ || !window_) return;
  auto built = builtMenu_.find(&item);
  const bool sameShape = built != builtMenu_.end() && built->second.caption == item.caption() &&
                         built->second.visible == item.visible() && item.items().empty();
  if (!sameShape) {
    rebuildMenuBar();
    return;
  }
  // A pop-up-only menu is built when shown; nothing on screen to change.
  if (!built->second.inBar || !menuBar_) return;
  const UINT id = static_cast<UINT>(item.id());
  CheckMenuItem(menuBar_.get(), id, MF_BYCOMMAND | (item.checked() ? MF_CHECKED : MF_UNCHECKED));
  EnableMenuItem(menuBar_.get(), id, MF_BYCOMMAND | (item.enabled() ? MF_ENABLED : MF_GRAYED));
  DrawMenuBar(window_.get());
}

}  // namespace forms::win32
