#pragma once
// Painting of the owner-drawn list box that shows a CheckList: a check box
// before each entry's text. The tick lives in the item data (1 or 0) so that
// other processes can read it with LB_GETITEMDATA.
#include <windows.h>

namespace forms::win32 {

// Height of one entry for the given font.
int checkListItemHeight(HFONT font, UINT dpi);

// Width of the check box area at the left of an entry; a click there ticks.
int checkBoxAreaWidth(int itemHeight);

void paintCheckListItem(const DRAWITEMSTRUCT& item);

}  // namespace forms::win32
