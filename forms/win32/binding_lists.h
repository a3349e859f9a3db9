#pragma once
// What the two kinds of list (ListBox, CheckList) share in their windows:
// bringing a list box's strings in line with the model, its selection, and
// the answers about entries and selection.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "forms/win32/control_binding.h"

namespace forms::win32 {

// Turns what the list box shows into `wanted` with the fewest messages, so
// that adding or removing one entry of a long list stays cheap and keeps the
// scroll position. Many changes at once are made with drawing switched off.
// `ticks`, when given, follows the entries (new ones start unticked, as
// their item data is 0).
void syncListStrings(HWND list, std::vector<std::string>& shown, const std::vector<std::string>& wanted,
                     std::vector<char>* ticks = nullptr);
void syncListSelection(HWND list, int index);
int selectedIndex(HWND list);

// listindex and text; nullopt for other properties.
std::optional<std::string> selectionAnswer(int listIndex, const std::vector<std::string>& items,
                                           std::string_view property);

// More changes than this are made with drawing switched off.
inline constexpr std::size_t kBulkChanges = 8;

}  // namespace forms::win32
