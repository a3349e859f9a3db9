#pragma once
// What the program hears from outside through its main window: other
// programs' windows appearing or coming to the front, a click on the
// Explorer menu, another copy asking whether this one runs, the uninstaller
// asking it to end, the tray icon's mouse messages and the taskbar's restart.
// The program gives a listener; the platform calls it on the program's one
// thread, from the window's messages.
#include <cstddef>
#include <cstdint>
#include <span>

#include "shared/explorer_menu_message.h"
#include "shared/names.h"

namespace platform {

class WindowEventListener {
 public:
  virtual ~WindowEventListener() = default;
  // Another program's window may have come to the front: focus moved to a
  // new foreground window, or the foreground window was renamed.
  virtual void foregroundMayHaveChanged() = 0;
  // A top-level window of another program was created or shown.
  virtual void windowAppeared() = 0;
  // The bytes of a click sent by the Explorer menu, copied and not yet
  // checked (the sender may be any process on the desktop).
  virtual void explorerMenuClicked(std::span<const std::byte> message) = 0;
  // Another copy asks whether this one runs: true to answer that it does.
  virtual bool areYouRunning() = 0;
  // The uninstaller asks the program to end: true when it agreed and ended.
  virtual bool endForUninstaller() = 0;
  // A mouse message on the tray icon (WM_LBUTTONDBLCLK, WM_RBUTTONUP, ...).
  virtual void trayCallback(int mouseMessage) = 0;
  // The taskbar restarted, and the icons of the notification area with it.
  virtual void taskbarRestarted() = 0;
};

class WindowEvents {
 public:
  virtual ~WindowEvents() = default;
  // The window's messages reach the listener from now on. The program
  // listens before its settings load, so that a click sent from Explorer's
  // menu while they load is not lost.
  virtual void listen(WindowEventListener& listener) = 0;
  // Other programs' windows are watched from now on. The program asks only
  // once it has started, and not at all when it ended at the start.
  virtual void watchOtherWindows() = 0;
};

// What a copy-data message sent to the window is: the Explorer menu's only
// when tagged as such. One longer than any the menu sends is refused before
// it is read; other tags belong to the window's own handling.
enum class CopyData { NotTheMenus, Refused, ExplorerMenu };

inline CopyData sortCopyData(std::uintptr_t tag, const void* data, std::size_t size) {
  if (tag != names::ExplorerMenuCopyData) return CopyData::NotTheMenus;
  if (data == nullptr || size > explorer_menu::MaxBytes) return CopyData::Refused;
  return CopyData::ExplorerMenu;
}

}  // namespace platform
