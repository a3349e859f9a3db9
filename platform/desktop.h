#pragma once
// Top-level windows of the desktop, as the watchers and commands see them.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

using WindowHandle = std::uintptr_t;  // 0: no window

// ShowWindow commands the programs use.
enum ShowCommand : int {
  SwHide = 0,
  SwShowNormal = 1,
  SwShowMinimized = 2,
  SwShow = 5,
  SwMinimize = 6,
  SwRestore = 9,
};

constexpr std::uint32_t StyleVisible = 0x10000000;
constexpr std::uint32_t StyleMinimized = 0x20000000;
constexpr std::uint32_t StyleBorder = 0x00800000;

// A process, told apart from a later one that reuses its id by when it
// started (FILETIME units; 0 when that cannot be read).
struct ProcessKey {
  std::uint32_t id = 0;
  std::uint64_t started = 0;
  friend bool operator==(const ProcessKey&, const ProcessKey&) = default;
  friend auto operator<=>(const ProcessKey&, const ProcessKey&) = default;
};

// The program file a process runs: the file's name without its folder, and
// the original file name its version resource gives (empty when the file or
// its resource cannot be read). Both empty when nothing could be learnt.
struct ProgramFile {
  std::string fileName;
  std::string originalName;
};

// A top-level window and its whole title.
struct TitledWindow {
  WindowHandle handle = 0;
  std::string title;
};

class Desktop {
 public:
  virtual ~Desktop() = default;

  virtual WindowHandle foregroundWindow() = 0;
  virtual std::string windowText(WindowHandle w) = 0;
  virtual std::string className(WindowHandle w) = 0;
  // Like FindWindow: a top-level window (hidden ones included) matching the
  // class and/or the exact title; 0 when none.
  virtual WindowHandle findWindow(std::optional<std::string_view> className,
                                  std::optional<std::string_view> title) = 0;
  virtual bool isWindow(WindowHandle w) = 0;
  // Whether the window belongs to this program (its own process).
  virtual bool isOwnWindow(WindowHandle w) = 0;
  virtual void showWindowAsync(WindowHandle w, int command) = 0;
  virtual void postClose(WindowHandle w) = 0;
  // Gives up on a window that does not answer within two seconds.
  virtual void setWindowText(WindowHandle w, std::string_view text) = 0;
  virtual std::uint32_t windowStyle(WindowHandle w) = 0;
  // Top-level windows in Z order, topmost first.
  virtual std::vector<WindowHandle> topLevelWindows() = 0;
  // The top-level windows in Z order, topmost first, whose style has every
  // bit of requiredStyle and whose title is not empty, with their titles
  // read whole; `except` is left out.
  virtual std::vector<TitledWindow> titledWindows(std::uint32_t requiredStyle, WindowHandle except) = 0;
  // The id of the process that owns the window; 0 when there is none.
  virtual std::uint32_t windowProcessId(WindowHandle w) = 0;
  // The running process of that id with its start; nullopt when none runs.
  virtual std::optional<ProcessKey> process(std::uint32_t id) = 0;
  // Reads the process's program file and its version resource: costly, so
  // callers keep the answer for the life of the process.
  virtual ProgramFile programFile(std::uint32_t id) = 0;
  // Tells running programs that policy settings changed.
  virtual void broadcastPolicyChange() = 0;
  // One synthetic key press to the active window (virtual-key code).
  virtual void sendKeyPress(std::uint16_t virtualKey) = 0;
  // Puts a named mark on a window (or takes it off) that other processes can
  // read without sending the window a message; it goes with the window.
  virtual void setWindowMark(WindowHandle w, std::string_view name, bool on) = 0;
};

}  // namespace platform
