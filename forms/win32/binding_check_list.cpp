// Check lists: an owner-drawn list box with a check box before each entry.
// The tick lives in the entry's item data (1 or 0), so that other processes
// can read it; a click on the box or the space bar ticks.
#include "forms/win32/binding_keys.h"
#include "forms/win32/binding_lists.h"
#include "forms/win32/bindings.h"
#include "forms/win32/check_list_paint.h"

namespace forms::win32 {
namespace {

class CheckListBinding final : public ControlBinding {
 public:
  WindowStyle windowStyle(const Control&, const StyleContext& context) const override {
    return {L"LISTBOX",
            WS_CHILD | (context.startsGroup ? WS_GROUP : 0u) | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY |
                LBS_NOINTEGRALHEIGHT | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS,
            WS_EX_CLIENTEDGE};
  }
  bool listensToWindow() const override { return true; }
  bool keepsSystemColours() const override { return true; }

  void refresh(Control& control, ChildWindow& child, Property what, BindingHost& host) const override {
    if (what == Property::Items || what == Property::Selection) syncAll(control, child, host);
  }
  void syncAll(Control& control, ChildWindow& child, BindingHost& host) const override {
    const auto& list = static_cast<const CheckList&>(control);
    ViewUpdate update(host);
    std::vector<std::string> texts;
    texts.reserve(list.entries().size());
    for (const auto& entry : list.entries()) texts.push_back(entry.text);
    syncListStrings(child.window, child.shownItems, texts, &child.shownTicks);
    syncTicks(list, child);
    syncListSelection(child.window, list.listIndex());
  }

  void command(Control& control, ChildWindow& child, int code, BindingHost& host) const override {
    if (code == LBN_SELCHANGE && host.updateDepth() == 0)
      static_cast<CheckList&>(control).userSelect(selectedIndex(child.window));
  }
  std::optional<LRESULT> windowMessage(Control& control, ChildWindow& child, UINT message, WPARAM wParam,
                                       LPARAM lParam, BindingHost& host) const override {
    auto& list = static_cast<CheckList&>(control);
    HWND window = child.window;  // a handler may end the form, and the record with it
    if (auto handled = keyMessage(window, message, wParam, lParam, static_cast<bool>(list.onKeyDown),
                                  [&](int key) { list.keyDown(key); }, host))
      return handled;
    if (message == WM_KEYDOWN && wParam == VK_SPACE) {
      const int index = selectedIndex(window);
      if (index >= 0 && index < list.count()) list.setChecked(index, !list.checked(index));
      return 0;
    }
    if (message == WM_CHAR && wParam == L' ') return 0;  // the space bar ticks; it is not a search key here
    if (message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK) {
      const LRESULT result = callWindow(window, message, wParam, lParam);
      if (!host.destroying()) tickAt(list, window, lParam, host.checkListItemHeight());
      return result;
    }
    return std::nullopt;
  }
  bool measureItem(MEASUREITEMSTRUCT& item, BindingHost& host) const override {
    item.itemHeight = static_cast<UINT>(host.checkListItemHeight());
    return true;
  }
  bool drawItem(const DRAWITEMSTRUCT& item) const override {
    paintCheckListItem(item);
    return true;
  }

  std::optional<std::string> answer(const Control& control, std::string_view property) const override {
    const auto& list = static_cast<const CheckList&>(control);
    std::vector<std::string> texts, checks;
    for (const auto& entry : list.entries()) {
      texts.push_back(entry.text);
      checks.push_back(answerFlag(entry.checked));
    }
    if (property == "items") return answerLines(texts);
    if (property == "checks") return answerLines(checks);
    return selectionAnswer(list.listIndex(), texts, property);
  }

 private:
  // The ticks are compared with the copy kept in the record: asking the list
  // box for every entry at every change made loading a long list quadratic.
  static void syncTicks(const CheckList& list, ChildWindow& child) {
    std::vector<int> changed;
    for (int i = 0; i < list.count(); ++i)
      if (child.shownTicks[static_cast<std::size_t>(i)] != (list.checked(i) ? 1 : 0)) changed.push_back(i);
    if (changed.empty()) return;
    // Many ticks at once (a load): one repaint of the whole list instead of one per entry.
    const bool bulk = changed.size() > kBulkChanges;
    if (bulk) SendMessageW(child.window, WM_SETREDRAW, FALSE, 0);
    for (const int i : changed) {
      const char tick = list.checked(i) ? 1 : 0;
      child.shownTicks[static_cast<std::size_t>(i)] = tick;
      SendMessageW(child.window, LB_SETITEMDATA, static_cast<WPARAM>(i), tick);
      RECT itemRect{};
      if (!bulk && SendMessageW(child.window, LB_GETITEMRECT, static_cast<WPARAM>(i),
                                reinterpret_cast<LPARAM>(&itemRect)) != LB_ERR)
        InvalidateRect(child.window, &itemRect, TRUE);
    }
    if (bulk) {
      SendMessageW(child.window, WM_SETREDRAW, TRUE, 0);
      InvalidateRect(child.window, nullptr, TRUE);
    }
  }

  // A click in the check box area of an entry ticks or unticks it.
  static void tickAt(CheckList& list, HWND window, LPARAM lParam, int itemHeight) {
    const int x = static_cast<short>(LOWORD(lParam));
    if (x >= checkBoxAreaWidth(itemHeight)) return;
    const LRESULT hit = SendMessageW(window, LB_ITEMFROMPOINT, 0, lParam);
    if (HIWORD(hit) != 0) return;  // below the last entry
    const int index = LOWORD(hit);
    if (index < list.count()) list.setChecked(index, !list.checked(index));
  }
};

}  // namespace

const ControlBinding& checkListBinding() {
  static const CheckListBinding binding;
  return binding;
}

}  // namespace forms::win32
