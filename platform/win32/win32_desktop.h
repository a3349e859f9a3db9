#pragma once
// Top-level windows over user32.
#include "platform/desktop.h"

namespace platform::win32 {

class Win32Desktop final : public Desktop {
 public:
  WindowHandle foregroundWindow() override;
  std::string windowText(WindowHandle w) override;
  std::string className(WindowHandle w) override;
  WindowHandle findWindow(std::optional<std::string_view> className,
                          std::optional<std::string_view> title) override;
  bool isWindow(WindowHandle w) override;
  bool isOwnWindow(WindowHandle w) override;
  void showWindowAsync(WindowHandle w, int command) override;
  void postClose(WindowHandle w) override;
  void setWindowText(WindowHandle w, std::string_view text) override;
  std::uint32_t windowStyle(WindowHandle w) override;
  std::vector<WindowHandle> topLevelWindows() override;
  std::vector<TitledWindow> titledWindows(std::uint32_t requiredStyle, WindowHandle except) override;
  std::uint32_t windowProcessId(WindowHandle w) override;
  std::optional<ProcessKey> process(std::uint32_t id) override;
  ProgramFile programFile(std::uint32_t id) override;
  void broadcastPolicyChange() override;
  void sendKeyPress(std::uint16_t virtualKey) override;
  void setWindowMark(WindowHandle w, std::string_view name, bool on) override;
};

}  // namespace platform::win32
