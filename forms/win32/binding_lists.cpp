#include "forms/win32/binding_lists.h"

#include "shared/win32/text.h"

namespace forms::win32 {

void syncListStrings(HWND list, std::vector<std::string>& shown, const std::vector<std::string>& wanted,
                     std::vector<char>* ticks) {
  std::size_t prefix = 0;
  while (prefix < shown.size() && prefix < wanted.size() && shown[prefix] == wanted[prefix]) ++prefix;
  std::size_t suffix = 0;
  while (suffix < shown.size() - prefix && suffix < wanted.size() - prefix &&
         shown[shown.size() - 1 - suffix] == wanted[wanted.size() - 1 - suffix])
    ++suffix;
  if (prefix == shown.size() && prefix == wanted.size()) return;

  const std::size_t removed = shown.size() - prefix - suffix;
  const std::size_t added = wanted.size() - prefix - suffix;
  const bool bulk = removed + added > kBulkChanges;
  if (bulk) SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  if (prefix == 0 && suffix == 0) {
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
  } else {
    for (std::size_t i = 0; i < removed; ++i) SendMessageW(list, LB_DELETESTRING, prefix, 0);
  }
  if (bulk) SendMessageW(list, LB_INITSTORAGE, added, static_cast<LPARAM>(added * 64));
  for (std::size_t i = prefix; i < prefix + added; ++i) {
    const std::wstring text = win32kit::toWide(wanted[i]);
    SendMessageW(list, LB_INSERTSTRING, i, reinterpret_cast<LPARAM>(text.c_str()));
  }
  if (bulk) {
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
  }
  if (ticks) {
    ticks->resize(shown.size(), 0);
    ticks->erase(ticks->begin() + static_cast<std::ptrdiff_t>(prefix),
                 ticks->begin() + static_cast<std::ptrdiff_t>(prefix + removed));
    ticks->insert(ticks->begin() + static_cast<std::ptrdiff_t>(prefix), added, 0);
  }
  shown = wanted;
}

void syncListSelection(HWND list, int index) {
  if (SendMessageW(list, LB_GETCURSEL, 0, 0) != index) SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int selectedIndex(HWND list) { return static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0)); }

std::optional<std::string> selectionAnswer(int listIndex, const std::vector<std::string>& items,
                                           std::string_view property) {
  if (property == "listindex") return std::to_string(listIndex);
  if (property == "text")
    return listIndex >= 0 && listIndex < static_cast<int>(items.size()) ? items[static_cast<std::size_t>(listIndex)]
                                                                        : std::string();
  return std::nullopt;
}

}  // namespace forms::win32
