#pragma once
// What the program hears from outside, over its main window: the registered
// messages, the tray icon's callback, WM_COPYDATA from the Explorer menu, and
// out-of-context WinEvent hooks on other programs' windows.
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/window_events.h"
#include "shared/win32/handles.h"

namespace platform::win32 {

struct HeardEvents;  // what the message handler shares with this object

class Win32WindowEvents final : public WindowEvents {
 public:
  using MessageHandler = std::function<std::optional<LRESULT>(UINT message, WPARAM, LPARAM)>;

  // The program's main window, whose messages are heard; one object per
  // process, since the WinEvent callback finds it through a file-local pointer.
  explicit Win32WindowEvents(HWND window);
  ~Win32WindowEvents() override;
  Win32WindowEvents(const Win32WindowEvents&) = delete;
  Win32WindowEvents& operator=(const Win32WindowEvents&) = delete;

  void listen(WindowEventListener& listener) override;
  // Hooks the WinEvents, unless the diagnostics switch "NoWinEvent" is on:
  // the watchers then run on their timers alone (to measure what the hooks gain).
  void watchOtherWindows() override;

  // The handler to add to the window's message hooks; nothing reaches it
  // before listen(). It may outlive this object, and then handles nothing.
  MessageHandler messageHandler() const;

 private:
  std::shared_ptr<HeardEvents> heard_;
  std::vector<win32kit::UniqueWinEventHook> hooks_;
};

}  // namespace platform::win32
