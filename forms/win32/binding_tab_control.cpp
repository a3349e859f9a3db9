// Tab controls: a tab strip that holds only the tabs that may be chosen, and
// whose current tab decides which page's controls are shown.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "forms/win32/bindings.h"
#include "shared/win32/text.h"

namespace forms::win32 {
namespace {

class TabControlBinding final : public ControlBinding {
 public:
  WindowStyle windowStyle(const Control&, const StyleContext& context) const override {
    // Drawn beneath the controls of its pages, which are its siblings.
    return {WC_TABCONTROLW, WS_CHILD | (context.startsGroup ? WS_GROUP : 0u) | WS_TABSTOP | WS_CLIPSIBLINGS, 0};
  }
  bool holdsOthers(Property what) const override { return what == Property::Visible; }

  void refresh(Control& control, ChildWindow& child, Property what, BindingHost& host) const override {
    const auto& tabs = static_cast<const TabControl&>(control);
    if (what == Property::Tabs) {
      syncStrip(tabs, child, host);
    } else if (what == Property::Items || what == Property::Selection) {
      syncSelection(tabs, child);
      host.syncAllVisible();
    }
  }
  void syncAll(Control& control, ChildWindow& child, BindingHost& host) const override {
    syncStrip(static_cast<const TabControl&>(control), child, host);
  }

  std::optional<LRESULT> notify(Control& control, ChildWindow& child, const NMHDR& header,
                                BindingHost& host) const override {
    if (header.code == TCN_SELCHANGING) return FALSE;  // the strip holds only tabs that may be chosen
    if (header.code != TCN_SELCHANGE || host.updateDepth() != 0) return std::nullopt;
    const auto position = static_cast<int>(SendMessageW(header.hwndFrom, TCM_GETCURSEL, 0, 0));
    if (position >= 0 && position < static_cast<int>(child.stripToTab.size()))
      static_cast<TabControl&>(control).userSelect(child.stripToTab[static_cast<std::size_t>(position)]);
    return 0;
  }

  std::optional<std::string> answer(const Control& control, std::string_view property) const override {
    const auto& tabs = static_cast<const TabControl&>(control);
    std::vector<std::string> values;
    if (property == "tab") return std::to_string(tabs.tab());
    if (property == "items") {
      for (const auto& tab : tabs.tabs()) values.push_back(tab.caption);
      return answerLines(values);
    }
    if (property == "tabenabled") {
      for (const auto& tab : tabs.tabs()) values.push_back(answerFlag(tab.enabled));
      return answerLines(values);
    }
    return std::nullopt;
  }

 private:
  // Switched-off tabs are left out of the strip, so they cannot be chosen;
  // stripToTab maps strip positions back to the model's tab numbers.
  static void syncStrip(const TabControl& tabs, ChildWindow& child, BindingHost& host) {
    ViewUpdate update(host);
    SendMessageW(child.window, TCM_DELETEALLITEMS, 0, 0);
    child.stripToTab.clear();
    for (int i = 0; i < static_cast<int>(tabs.tabs().size()); ++i) {
      if (!tabs.tabEnabled(i)) continue;
      std::wstring caption = win32kit::toWide(tabs.tabs()[static_cast<std::size_t>(i)].caption);
      TCITEMW item{};
      item.mask = TCIF_TEXT;
      item.pszText = caption.data();
      SendMessageW(child.window, TCM_INSERTITEMW, child.stripToTab.size(), reinterpret_cast<LPARAM>(&item));
      child.stripToTab.push_back(i);
    }
    syncSelection(tabs, child);
  }

  static void syncSelection(const TabControl& tabs, const ChildWindow& child) {
    int position = -1;
    for (std::size_t i = 0; i < child.stripToTab.size(); ++i)
      if (child.stripToTab[i] == tabs.tab()) position = static_cast<int>(i);
    if (SendMessageW(child.window, TCM_GETCURSEL, 0, 0) != position)
      SendMessageW(child.window, TCM_SETCURSEL, static_cast<WPARAM>(position), 0);
  }
};

}  // namespace

const ControlBinding& tabControlBinding() {
  static const TabControlBinding binding;
  return binding;
}

}  // namespace forms::win32
