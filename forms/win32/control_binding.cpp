#include "forms/win32/control_binding.h"

#include "forms/win32/bindings.h"

#include <unordered_map>

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
    case Kind::ProgressBar: return progressBarBinding();
  }
  return timerBinding();  // no window, no input: harmless for a kind it does not know
}

namespace {

// Every window the views listen to, with its own procedure. One thread runs
// every window of the program, so no lock is needed.
std::unordered_map<HWND, WNDPROC>& windowProcedures() {
  static std::unordered_map<HWND, WNDPROC> procedures;
  return procedures;
}

}  // namespace

void keepWindowProcedure(HWND window, WNDPROC procedure) { windowProcedures()[window] = procedure; }

void forgetWindowProcedure(HWND window) { windowProcedures().erase(window); }

LRESULT callWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto found = windowProcedures().find(window);
  return found != windowProcedures().end() ? CallWindowProcW(found->second, window, message, wParam, lParam)
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
