#pragma once
// The frame of a form's top-level window. (Each kind of control's window
// class and styles belong to its binding, control_binding.h.)
#include <windows.h>

#include "forms/form.h"
#include "forms/win32/control_binding.h"

namespace forms::win32 {

WindowStyle formWindowStyle(const FormStyle& style);

}  // namespace forms::win32
