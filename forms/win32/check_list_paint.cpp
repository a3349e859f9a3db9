#include "forms/win32/check_list_paint.h"

#include <algorithm>
#include <string>

namespace forms::win32 {

int checkListItemHeight(HFONT font, UINT dpi) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  const int box = MulDiv(13, static_cast<int>(dpi), 96);
  return std::max<int>(metrics.tmHeight, box) + MulDiv(3, static_cast<int>(dpi), 96);
}

int checkBoxAreaWidth(int itemHeight) { return itemHeight + 2; }

void paintCheckListItem(const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  RECT rect = item.rcItem;
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  const bool disabled = (item.itemState & ODS_DISABLED) != 0;
  FillRect(dc, &rect, GetSysColorBrush(selected && !disabled ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  if (item.itemID == static_cast<UINT>(-1)) {  // empty list: focus only
    if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &rect);
    return;
  }

  const int height = rect.bottom - rect.top;
  const int box = height - 4;
  RECT boxRect{rect.left + 2, rect.top + 2, rect.left + 2 + box, rect.top + 2 + box};
  // The box itself is never drawn highlighted, so the tick stays readable.
  FillRect(dc, &boxRect, GetSysColorBrush(COLOR_WINDOW));
  UINT boxState = DFCS_BUTTONCHECK | DFCS_FLAT;
  if (item.itemData != 0) boxState |= DFCS_CHECKED;
  if (disabled) boxState |= DFCS_INACTIVE;
  DrawFrameControl(dc, &boxRect, DFC_BUTTON, boxState);

  const HWND list = item.hwndItem;
  const auto length = SendMessageW(list, LB_GETTEXTLEN, item.itemID, 0);
  std::wstring text(length > 0 ? static_cast<std::size_t>(length) : 0, L'\0');
  if (length > 0) SendMessageW(list, LB_GETTEXT, item.itemID, reinterpret_cast<LPARAM>(text.data()));

  RECT textRect = rect;
  textRect.left += checkBoxAreaWidth(height) + 2;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(disabled ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textRect,
            DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &rect);
}

}  // namespace forms::win32
