#pragma once
// A simulated desktop of top-level windows for native tests. Tests create
// windows and arrange them; the logic sees them through platform::Desktop.
//
// The foreground window changes only when a test says so (createWindow of a
// visible window, bringToFront, setForeground) or when it goes away; showing,
// hiding and minimising leave it where it is.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/desktop.h"

namespace platform::sim {


struct ShowCall {
  WindowHandle window;
  int command;
};

class SimDesktop final : public Desktop {
 public:
  WindowHandle foregroundWindow() override;
  std::string windowText(WindowHandle w) override;
  std::string className(WindowHandle w) override;
  // Class names and titles compare without regard to ASCII case, as the
  // system's FindWindow does.
  WindowHandle findWindow(std::optional<std::string_view> className,
                          std::optional<std::string_view> title) override;
  bool isWindow(WindowHandle w) override;
  // The windows a test marked with setOwnWindow.
  bool isOwnWindow(WindowHandle w) override;
  // Applied at once: 0 hides, 5 shows, 2 and 6 minimise, 1 and 9 restore;
  // every call, whatever the command or window, goes into showCalls().
  void showWindowAsync(WindowHandle w, int command) override;
  // Recorded in closeRequests(); the window goes away unless it refuses.
  void postClose(WindowHandle w) override;
  void setWindowText(WindowHandle w, std::string_view text) override;
  // The given style with StyleVisible and StyleMinimized following the state.
  std::uint32_t windowStyle(WindowHandle w) override;
  std::vector<WindowHandle> topLevelWindows() override;
  std::vector<TitledWindow> titledWindows(std::uint32_t requiredStyle, WindowHandle except) override;
  std::uint32_t windowProcessId(WindowHandle w) override;
  std::optional<ProcessKey> process(std::uint32_t id) override;
  // Counted in programFileReads(); an unreadable process gives its name alone.
  ProgramFile programFile(std::uint32_t id) override;
  void broadcastPolicyChange() override;
  void sendKeyPress(std::uint16_t virtualKey) override;
  void setWindowMark(WindowHandle w, std::string_view name, bool on) override;

  // --- for tests ---
  // A new window on top of the Z order; a visible one (style with
  // StyleVisible) also becomes the foreground window.
  WindowHandle createWindow(std::string_view title, std::string_view className,
                            std::uint32_t style = StyleVisible | StyleBorder);
  void destroyWindow(WindowHandle w);
  // Top of the Z order and foreground.
  void bringToFront(WindowHandle w);
  void setForeground(WindowHandle w);  // 0: no foreground window
  void setTitle(WindowHandle w, std::string_view title);
  void setRefusesClose(WindowHandle w, bool refuses);
  // Marks a window as one of the program's own (its prompt, its notices ...).
  void setOwnWindow(WindowHandle w, bool own);
  // A running process and the file it runs; `readable` false leaves only
  // the name (the file or its version resource could not be read).
  void startProcess(std::uint32_t id, std::uint64_t started, std::string_view fileName,
                    std::string_view originalName = {}, bool readable = true);
  void endProcess(std::uint32_t id);
  void setWindowProcess(WindowHandle w, std::uint32_t id);
  int programFileReads() const { return programFileReads_; }
  bool isMinimised(WindowHandle w) const;
  bool isHidden(WindowHandle w) const;
  bool hasMark(WindowHandle w, std::string_view name) const;

  const std::vector<ShowCall>& showCalls() const { return showCalls_; }
  const std::vector<WindowHandle>& closeRequests() const { return closeRequests_; }
  int policyBroadcasts() const { return policyBroadcasts_; }
  const std::vector<std::uint16_t>& keyPresses() const { return keyPresses_; }

 private:
  struct Window {
    WindowHandle handle;
    std::string title;
    std::string className;
    std::uint32_t style;
    bool minimised = false;
    bool hidden = false;
    bool refusesClose = false;
    bool own = false;
    std::uint32_t process = 0;
    std::vector<std::string> marks;
  };
  Window* find(WindowHandle w);
  const Window* find(WindowHandle w) const;

  struct Process {
    std::uint32_t id;
    std::uint64_t started;
    ProgramFile file;
  };
  std::vector<Window> windows_;  // Z order, topmost first
  std::vector<Process> processes_;
  int programFileReads_ = 0;
  WindowHandle foreground_ = 0;
  WindowHandle nextHandle_ = 0x10010;  // handles look like the system's: small, even, non-zero
  std::vector<ShowCall> showCalls_;
  std::vector<WindowHandle> closeRequests_;
  int policyBroadcasts_ = 0;
  std::vector<std::uint16_t> keyPresses_;
};

}  // namespace platform::sim
