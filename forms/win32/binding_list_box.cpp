// List boxes: the entries and the highlighted one follow the model; the
// user's choice, double clicks and keys reach its handlers.
#include "forms/win32/binding_keys.h"
#include "forms/win32/binding_lists.h"
#include "forms/win32/bindings.h"

namespace forms::win32 {
namespace {

class ListBoxBinding final : public ControlBinding {
 public:
  WindowStyle windowStyle(const Control&, const StyleContext& context) const override {
    return {L"LISTBOX",
            WS_CHILD | (context.startsGroup ? WS_GROUP : 0u) | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY |
                LBS_NOINTEGRALHEIGHT,
            WS_EX_CLIENTEDGE};
  }
  bool listensToWindow() const override { return true; }
  bool keepsSystemColours() const override { return true; }

  void refresh(Control& control, ChildWindow& child, Property what, BindingHost& host) const override {
    if (what == Property::Items || what == Property::Selection) syncAll(control, child, host);
  }
  void syncAll(Control& control, ChildWindow& child, BindingHost& host) const override {
    const auto& list = static_cast<const ListBox&>(control);
    ViewUpdate update(host);
    syncListStrings(child.window, child.shownItems, list.items());
    syncListSelection(child.window, list.listIndex());
  }

  void command(Control& control, ChildWindow& child, int code, BindingHost& host) const override {
    auto& list = static_cast<ListBox&>(control);
    if (code == LBN_SELCHANGE && host.updateDepth() == 0) list.userSelect(selectedIndex(child.window));
    else if (code == LBN_DBLCLK) list.dblClick();
  }
  std::optional<LRESULT> windowMessage(Control& control, ChildWindow& child, UINT message, WPARAM wParam,
                                       LPARAM lParam, BindingHost& host) const override {
    auto& list = static_cast<ListBox&>(control);
    if (message == WM_MOUSEMOVE && list.onMouseMove) {
      list.mouseMove();
      return std::nullopt;  // the list and its tooltip still see the move
    }
    return keyMessage(child.window, message, wParam, lParam, static_cast<bool>(list.onKeyDown),
                      [&](int key) { list.keyDown(key); }, host);
  }

  std::optional<std::string> answer(const Control& control, std::string_view property) const override {
    const auto& list = static_cast<const ListBox&>(control);
    if (property == "items") return answerLines(list.items());
    return selectionAnswer(list.listIndex(), list.items(), property);
  }
};

}  // namespace

const ControlBinding& listBoxBinding() {
  static const ListBoxBinding binding;
  return binding;
}

}  // namespace forms::win32
