#include "forms/win32/window_styles.h"

#include <windows.h>

namespace forms::win32 {

WindowStyle formWindowStyle(const FormStyle& style) {
  WindowStyle result;
  if (style.coverScreen) {
    result.style = WS_POPUP;
    result.exStyle = WS_EX_TOPMOST;
  } else {
    switch (style.border) {
      case Border::None: result.style = WS_POPUP; break;
      case Border::FixedDialog:
        result.style = WS_CAPTION | WS_SYSMENU;
        result.exStyle = WS_EX_DLGMODALFRAME;
        break;
      case Border::Sizable: result.style = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME; break;
      case Border::FixedSingle: result.style = WS_CAPTION | WS_SYSMENU; break;
    }
    if (style.border == Border::Sizable || style.border == Border::FixedSingle) {
      if (style.minButton) result.style |= WS_MINIMIZEBOX;
      if (style.maxButton) result.style |= WS_MAXIMIZEBOX;
    }
  }
  // No WS_CLIPCHILDREN: group boxes are transparent and need the form's
  // background painted beneath them, as in a dialog.
  result.exStyle |= WS_EX_CONTROLPARENT;
  if (style.toolWindow) result.exStyle |= WS_EX_TOOLWINDOW;
  return result;
}

}  // namespace forms::win32
