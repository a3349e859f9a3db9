#include "forms/win32/control_binding.h"

#include "forms/win32/bindings.h"

namespace forms::win32 {

const ControlBinding& bindingOf(Kind kind) {
  switch (kind) {
    case Kind::Label: return labelBinding();
    case Kind::Button: return buttonBinding();
    case Kind::CheckBox: return checkBoxBinding();
    case Kind::OptionButton: return optionButtonBinding();
    case Kind::TextBox: return textBoxBinding();
    case Kind::ListBox: return listBoxBinding();
    case Kind::CheckList: return checkListBinding();
    case Kind::Frame: return frameBinding();
    case Kind::TabControl: return tabControlBinding();
    case Kind::Timer: return timerBinding();
  }
  return timerBinding();  // no window, no input: harmless for a kind it does not know
}

LRESULT callWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // The view keeps the window's own procedure in its user data when it starts listening.
  const auto procedure = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_USERDATA));
  return procedure ? CallWindowProcW(procedure, window, message, wParam, lParam)
                   : DefWindowProcW(window, message, wParam, lParam);
}

std::string answerLines(const std::vector<std::string>& entries) {
  std::string joined;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (i > 0) joined += '\n';
    joined += entries[i];
  }
  return joined;
}

}  // namespace forms::win32
