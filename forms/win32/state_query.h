#pragma once
// State queries: another process asks a window of the program for the state
// of one of its controls, as the program's own model holds it. Used by the
// end-to-end tests, whose checks would otherwise depend on reading menus and
// owner-drawn lists across processes, which Wine does not support.
//
// Request: WM_COPYDATA to the form's top-level window, dwData = kQueryTag,
// wParam = the asker's window, data = UTF-8 text of the query (no NUL).
// Answer: before the request returns, the form sends WM_COPYDATA to the
// asker's window with dwData = kAnswerTag and the UTF-8 answer. The request
// returns TRUE when answered, FALSE for an unknown query.
//
// Queries:
//   form.caption | form.visible | form.topmost
//   <control>.caption | text | value | enabled | visible | items | checks |
//            listindex | tab | tabenabled | tooltip | color | interval | running
//   menu.<item>.caption | checked | enabled | visible | items
// Lists answer one entry per line; flags answer "1" or "0". The text of a
// password box is never answered.
#include <cstdint>

namespace forms::win32 {

constexpr std::uintptr_t kQueryTag = 0x51525354;   // 'TSRQ'
constexpr std::uintptr_t kAnswerTag = 0x41525354;  // 'TSRA'

}  // namespace forms::win32
