#pragma once
// Which window class and styles show each kind of control, and the frame of
// a form's top-level window.
#include <windows.h>

#include "forms/form.h"

namespace forms::win32 {

struct WindowStyle {
  const wchar_t* className = nullptr;  // nullptr: the control has no window
  DWORD style = 0;
  DWORD exStyle = 0;
};

WindowStyle formWindowStyle(const FormStyle& style);

// startsGroup: the first option button of its frame (or any other control),
// so that Tab and the arrow keys move as in a dialog.
WindowStyle controlWindowStyle(const Control& control, bool isDefaultButton, bool startsGroup);

}  // namespace forms::win32
