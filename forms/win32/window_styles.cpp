#include "forms/win32/window_styles.h"

#include <windows.h>
#include <commctrl.h>

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

WindowStyle controlWindowStyle(const Control& control, bool isDefaultButton, bool startsGroup) {
  WindowStyle result;
  const DWORD base = WS_CHILD | (startsGroup ? WS_GROUP : 0);
  switch (control.kind()) {
    case Kind::Label:
      result = {L"STATIC", base | SS_LEFT | SS_NOTIFY, 0};
      break;
    case Kind::Button:
      result = {L"BUTTON", base | WS_TABSTOP | (isDefaultButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), 0};
      break;
    case Kind::CheckBox:
      result = {L"BUTTON", base | WS_TABSTOP | BS_CHECKBOX, 0};
      break;
    case Kind::OptionButton:
      result = {L"BUTTON", base | (startsGroup ? WS_TABSTOP : 0) | BS_RADIOBUTTON, 0};
      break;
    case Kind::TextBox: {
      const auto& text = static_cast<const TextBox&>(control);
      DWORD style = base | WS_TABSTOP | ES_AUTOHSCROLL;
      if (text.multiLine()) style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL;
      if (text.passwordChar() != 0) style |= ES_PASSWORD;
      result = {L"EDIT", style, WS_EX_CLIENTEDGE};
      break;
    }
    case Kind::ListBox:
      result = {L"LISTBOX", base | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, WS_EX_CLIENTEDGE};
      break;
    case Kind::CheckList:
      result = {L"LISTBOX",
                base | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_OWNERDRAWFIXED |
                    LBS_HASSTRINGS,
                WS_EX_CLIENTEDGE};
      break;
    case Kind::Frame:
      result = {L"BUTTON", base | BS_GROUPBOX, 0};
      break;
    case Kind::TabControl:
      // Drawn beneath the controls of its pages, which are its siblings.
      result = {WC_TABCONTROLW, base | WS_TABSTOP | WS_CLIPSIBLINGS, 0};
      break;
    case Kind::Timer:
      break;
  }
  return result;
}

}  // namespace forms::win32
