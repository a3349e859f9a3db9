#include "forms/win32/menu_builder.h"

#include "shared/win32/text.h"

namespace forms::win32 {

using win32kit::UniqueMenu;

namespace {

UINT stateFlags(const MenuItem& item) {
  return (item.checked() ? MF_CHECKED : MF_UNCHECKED) | (item.enabled() ? MF_ENABLED : MF_GRAYED);
}

void appendItem(HMENU menu, const MenuItem& item);

void appendChildren(HMENU menu, const MenuItem& parent) {
  for (const auto& child : parent.items())
    if (child->visible()) appendItem(menu, *child);
}

void appendItem(HMENU menu, const MenuItem& item) {
  if (item.separator()) {
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    return;
  }
  const std::wstring caption = win32kit::toWide(item.caption());
  if (item.items().empty()) {
    AppendMenuW(menu, MF_STRING | stateFlags(item), static_cast<UINT_PTR>(item.id()), caption.c_str());
    return;
  }
  UniqueMenu popup(CreatePopupMenu());
  appendChildren(popup.get(), item);
  const UINT flags = MF_POPUP | (item.enabled() ? MF_ENABLED : MF_GRAYED);
  // The parent menu owns the sub-menu once it is appended.
  if (AppendMenuW(menu, flags, reinterpret_cast<UINT_PTR>(popup.get()), caption.c_str())) popup.release();
}

}  // namespace

UniqueMenu buildMenuBar(const std::vector<std::unique_ptr<MenuItem>>& menus) {
  bool any = false;
  for (const auto& menu : menus) any = any || menu->visible();
  if (!any) return {};
  UniqueMenu bar(CreateMenu());
  for (const auto& menu : menus)
    if (menu->visible()) appendItem(bar.get(), *menu);
  return bar;
}

UniqueMenu buildPopupMenu(const MenuItem& menu) {
  UniqueMenu popup(CreatePopupMenu());
  appendChildren(popup.get(), menu);
  return popup;
}

}  // namespace forms::win32
