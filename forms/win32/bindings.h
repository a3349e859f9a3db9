#pragma once
// The binding of each kind of control, one file each; bindingOf() picks them.
#include "forms/win32/control_binding.h"

namespace forms::win32 {

const ControlBinding& labelBinding();
const ControlBinding& buttonBinding();
const ControlBinding& checkBoxBinding();
const ControlBinding& optionButtonBinding();
const ControlBinding& textBoxBinding();
const ControlBinding& listBoxBinding();
const ControlBinding& checkListBinding();
const ControlBinding& frameBinding();
const ControlBinding& tabControlBinding();
const ControlBinding& timerBinding();
const ControlBinding& progressBarBinding();

}  // namespace forms::win32
