// Model -> windows: bringing the child windows in line with the controls.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "forms/win32/form_view.h"
#include "forms/win32/menu_builder.h"
#include "shared/win32/text.h"

namespace forms::win32 {

using win32kit::UniqueMenu;

namespace {

using win32kit::toWide;

// Counts the view's own writes, whose notifications must not reach the model.
class UpdateGuard {
 public:
  explicit UpdateGuard(int& depth) : depth_(depth) { ++depth_; }
  ~UpdateGuard() { --depth_; }
  UpdateGuard(const UpdateGuard&) = delete;
  UpdateGuard& operator=(const UpdateGuard&) = delete;

 private:
  int& depth_;
};

std::wstring windowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

// A multi-line edit box breaks lines only at CR LF.
std::wstring withCrLf(const std::wstring& text) {
  std::wstring result;
  result.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r')) result += L'\r';
    result += text[i];
  }
  return result;
}

// Turns what the list box shows into `wanted` with the fewest changes, so
// that adding or removing one entry of a long list stays cheap and keeps
// the scroll position. `ticks`, when given, follows the entries (new ones
// start unticked, as their item data is 0).
void syncListStrings(HWND list, std::vector<std::string>& shown, const std::vector<std::string>& wanted,
                     std::vector<char>* ticks = nullptr) {
  std::size_t prefix = 0;
  while (prefix < shown.size() && prefix < wanted.size() && shown[prefix] == wanted[prefix]) ++prefix;
  std::size_t suffix = 0;
  while (suffix < shown.size() - prefix && suffix < wanted.size() - prefix &&
         shown[shown.size() - 1 - suffix] == wanted[wanted.size() - 1 - suffix])
    ++suffix;
  if (prefix == shown.size() && prefix == wanted.size()) return;

  const std::size_t removed = shown.size() - prefix - suffix;
  const std::size_t added = wanted.size() - prefix - suffix;
  const bool bulk = removed + added > 8;
  if (bulk) SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  if (prefix == 0 && suffix == 0) {
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
  } else {
    for (std::size_t i = 0; i < removed; ++i) SendMessageW(list, LB_DELETESTRING, prefix, 0);
  }
  for (std::size_t i = prefix; i < prefix + added; ++i) {
    const std::wstring text = toWide(wanted[i]);
    SendMessageW(list, LB_INSERTSTRING, i, reinterpret_cast<LPARAM>(text.c_str()));
  }
  if (bulk) {
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
  }
  shown = wanted;
  if (ticks) {
    ticks->resize(shown.size() - added + removed, 0);
    ticks->erase(ticks->begin() + static_cast<std::ptrdiff_t>(prefix),
                 ticks->begin() + static_cast<std::ptrdiff_t>(prefix + removed));
    ticks->insert(ticks->begin() + static_cast<std::ptrdiff_t>(prefix), added, 0);
  }
}

void syncListSelection(HWND list, int index) {
  if (SendMessageW(list, LB_GETCURSEL, 0, 0) != index) SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

}  // namespace

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
  Child* child = childOf(control);
  const Kind kind = control.kind();
  switch (what) {
    case Property::Enabled:
      if (kind == Kind::Frame) syncAllEnabled();
      else if (child) EnableWindow(child->window, control.effectivelyEnabled());
      return;
    case Property::Visible:
      if (kind == Kind::Frame || kind == Kind::TabControl) syncAllVisible();
      else if (child) ShowWindow(child->window, shownOnScreen(control) ? SW_SHOWNA : SW_HIDE);
      return;
    case Property::Layout:
      if (child) {
        const Rect& rect = control.placement().rect;
        MoveWindow(child->window, scale(rect.x), scale(rect.y), scale(rect.width), scale(rect.height), TRUE);
      }
      return;
    default:
      break;
  }
  if (!child) return;
  HWND window = child->window;
  switch (what) {
    case Property::Caption:
      syncCaption(control, window);
      break;
    case Property::Text:
      if (kind == Kind::TextBox) syncText(static_cast<TextBox&>(control), window);
      break;
    case Property::Value:
      if (kind == Kind::CheckBox)
        SendMessageW(window, BM_SETCHECK, static_cast<CheckBox&>(control).value() ? BST_CHECKED : BST_UNCHECKED, 0);
      else if (kind == Kind::OptionButton)
        SendMessageW(window, BM_SETCHECK, static_cast<OptionButton&>(control).value() ? BST_CHECKED : BST_UNCHECKED, 0);
      break;
    case Property::Items:
    case Property::Selection:
      if (kind == Kind::ListBox) {
        syncListItems(*child, static_cast<ListBox&>(control));
      } else if (kind == Kind::CheckList) {
        syncCheckListItems(*child, static_cast<CheckList&>(control));
      } else if (kind == Kind::TabControl) {
        syncTabSelection(*child, static_cast<TabControl&>(control));
        syncAllVisible();
      }
      break;
    case Property::Tabs:
      if (kind == Kind::TabControl) syncTabStrip(*child, static_cast<TabControl&>(control));
      break;
    case Property::ToolTip:
      syncToolTip(control, window);
      break;
    case Property::Color:
      InvalidateRect(window, nullptr, TRUE);
      break;
    default:
      break;
  }
}

void Win32FormView::syncAll(Control& control) {
  Child* child = childOf(control);
  if (!child) return;
  HWND window = child->window;
  syncCaption(control, window);
  switch (control.kind()) {
    case Kind::TextBox: syncText(static_cast<TextBox&>(control), window); break;
    case Kind::CheckBox:
    case Kind::OptionButton: refresh(control, Property::Value); break;
    case Kind::ListBox: syncListItems(*child, static_cast<ListBox&>(control)); break;
    case Kind::CheckList: syncCheckListItems(*child, static_cast<CheckList&>(control)); break;
    case Kind::TabControl: syncTabStrip(*child, static_cast<TabControl&>(control)); break;
    default: break;
  }
  if (!control.toolTip().empty()) syncToolTip(control, window);
}

void Win32FormView::syncCaption(Control& control, HWND window) {
  const std::string* caption = nullptr;
  switch (control.kind()) {
    case Kind::Label: caption = &static_cast<Label&>(control).caption(); break;
    case Kind::Button: caption = &static_cast<Button&>(control).caption(); break;
    case Kind::CheckBox: caption = &static_cast<CheckBox&>(control).caption(); break;
    case Kind::OptionButton: caption = &static_cast<OptionButton&>(control).caption(); break;
    case Kind::Frame: caption = &static_cast<Frame&>(control).caption(); break;
    default: return;
  }
  SetWindowTextW(window, toWide(*caption).c_str());
}

void Win32FormView::syncText(TextBox& text, HWND window) {
  UpdateGuard guard(updating_);
  SendMessageW(window, EM_LIMITTEXT, static_cast<WPARAM>(text.maxLength()), 0);
  const auto mask = static_cast<WPARAM>(static_cast<unsigned char>(text.passwordChar()));
  if (static_cast<WPARAM>(SendMessageW(window, EM_GETPASSWORDCHAR, 0, 0)) != mask) {
    SendMessageW(window, EM_SETPASSWORDCHAR, mask, 0);
    InvalidateRect(window, nullptr, TRUE);
  }
  std::wstring wanted = toWide(text.text());
  if (text.multiLine()) wanted = withCrLf(wanted);
  // What the user just typed is already there: leave the caret alone.
  if (windowText(window) == wanted) return;
  SetWindowTextW(window, wanted.c_str());
}

void Win32FormView::syncListItems(Child& child, const ListBox& list) {
  UpdateGuard guard(updating_);
  syncListStrings(child.window, child.shownItems, list.items());
  syncListSelection(child.window, list.listIndex());
}

void Win32FormView::syncCheckListItems(Child& child, const CheckList& list) {
  UpdateGuard guard(updating_);
  std::vector<std::string> texts;
  texts.reserve(list.entries().size());
  for (const auto& entry : list.entries()) texts.push_back(entry.text);
  syncListStrings(child.window, child.shownItems, texts, &child.shownTicks);
  // The ticks are compared with the copy kept here: asking the list box for
  // every entry at every change made loading a long list quadratic in messages.
  for (int i = 0; i < list.count(); ++i) {
    const char tick = list.checked(i) ? 1 : 0;
    if (child.shownTicks[static_cast<std::size_t>(i)] == tick) continue;
    child.shownTicks[static_cast<std::size_t>(i)] = tick;
    SendMessageW(child.window, LB_SETITEMDATA, static_cast<WPARAM>(i), tick);
    RECT itemRect{};
    if (SendMessageW(child.window, LB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&itemRect)) !=
        LB_ERR)
      InvalidateRect(child.window, &itemRect, TRUE);
  }
  syncListSelection(child.window, list.listIndex());
}

// Switched-off tabs are left out of the strip, so they cannot be chosen;
// stripToTab maps strip positions back to the model's tab numbers.
void Win32FormView::syncTabStrip(Child& child, const TabControl& tabs) {
  UpdateGuard guard(updating_);
  SendMessageW(child.window, TCM_DELETEALLITEMS, 0, 0);
  child.stripToTab.clear();
  for (int i = 0; i < static_cast<int>(tabs.tabs().size()); ++i) {
    if (!tabs.tabEnabled(i)) continue;
    std::wstring caption = toWide(tabs.tabs()[static_cast<std::size_t>(i)].caption);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = caption.data();
    SendMessageW(child.window, TCM_INSERTITEMW, child.stripToTab.size(), reinterpret_cast<LPARAM>(&item));
    child.stripToTab.push_back(i);
  }
  syncTabSelection(child, tabs);
}

void Win32FormView::syncTabSelection(Child& child, const TabControl& tabs) {
  int position = -1;
  for (std::size_t i = 0; i < child.stripToTab.size(); ++i)
    if (child.stripToTab[i] == tabs.tab()) position = static_cast<int>(i);
  if (SendMessageW(child.window, TCM_GETCURSEL, 0, 0) != position)
    SendMessageW(child.window, TCM_SETCURSEL, static_cast<WPARAM>(position), 0);
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
