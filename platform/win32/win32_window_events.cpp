#include "platform/win32/win32_window_events.h"

#include <cstddef>
#include <utility>

#include "platform/win32/win32_tray.h"
#include "shared/names.h"
#include "shared/win32/module.h"
#include "shared/win32/text.h"

namespace platform::win32 {

namespace {

// WinEvents of other programs' windows, seen out of context, run the lock
// guard at once instead of waiting up to half a second for the watchers'
// timers. Under Wine only window creation and focus changes arrive (the
// lock benchmark lists what does); the others are there for Windows.
constexpr UINT kWindowEventMessage = WM_APP + 2;
constexpr WPARAM kForegroundMayHaveChanged = 1;
constexpr WPARAM kWindowAppeared = 2;

UINT registered(const char* name) { return RegisterWindowMessageW(win32kit::toWide(name).c_str()); }

// A top-level window of another process.
bool isOtherProgramsWindow(HWND window) {
  if (window == nullptr || GetAncestor(window, GA_PARENT) != GetDesktopWindow()) return false;
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  return process != 0 && process != GetCurrentProcessId();
}

}  // namespace

struct HeardEvents {
  HWND window = nullptr;
  WindowEventListener* listener = nullptr;
  UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
  UINT endForUninstall = registered(names::EndForUninstallMessage);
  UINT areYouRunning = registered(names::MainRunningMessage);
  WPARAM pendingEvents = 0;  // what the posted message will report
  HWND lastForeground = nullptr;

  void winEvent(DWORD event, HWND other, LONG object, LONG child);
  std::optional<LRESULT> handle(UINT message, LPARAM lParam);
  std::optional<LRESULT> copyData(const COPYDATASTRUCT* data);
};

namespace {

// A WinEvent callback has no user pointer: the hooks find the one object
// that watches through this, set while its hooks are in place.
HeardEvents* g_watching = nullptr;

void CALLBACK onWinEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD) {
  if (g_watching) g_watching->winEvent(event, window, object, child);
}

// Watches one kind of WinEvent for the whole process, out of context.
win32kit::UniqueWinEventHook hookWinEvent(DWORD event) {
  return win32kit::UniqueWinEventHook(
      SetWinEventHook(event, event, nullptr, onWinEvent, 0, 0, WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS));
}

}  // namespace

void HeardEvents::winEvent(DWORD event, HWND other, LONG object, LONG child) {
  const bool wholeWindow = object == OBJID_WINDOW && child == CHILDID_SELF;
  WPARAM what = 0;
  switch (event) {
    case EVENT_OBJECT_CREATE:
    case EVENT_OBJECT_SHOW:
      if (wholeWindow && isOtherProgramsWindow(other)) what = kWindowAppeared;
      break;
    case EVENT_OBJECT_NAMECHANGE:
      if (wholeWindow && other == GetForegroundWindow()) what = kForegroundMayHaveChanged;
      break;
    case EVENT_OBJECT_FOCUS: {
      // Focus moves often within one window; only a new foreground window counts.
      const HWND foreground = GetForegroundWindow();
      if (foreground != lastForeground) what = kForegroundMayHaveChanged;
      lastForeground = foreground;
      break;
    }
    default:
      what = kForegroundMayHaveChanged;
      break;
  }
  if (what == 0 || !window) return;
  // One message at a time carries every event that came before it is handled.
  const bool posted = pendingEvents != 0;
  pendingEvents |= what;
  if (!posted && !PostMessageW(window, kWindowEventMessage, 0, 0)) pendingEvents = 0;
}

std::optional<LRESULT> HeardEvents::handle(UINT message, LPARAM lParam) {
  if (!listener) return std::nullopt;
  if (message == areYouRunning && areYouRunning != 0) return listener->areYouRunning() ? names::MainRunningAnswer : 0;
  if (message == endForUninstall && endForUninstall != 0)
    return listener->endForUninstaller() ? names::EndForUninstallAccepted : 0;
  if (message == kTrayCallbackMessage) {
    listener->trayCallback(static_cast<int>(LOWORD(lParam)));
    return 0;
  }
  if (message == kWindowEventMessage) {
    const WPARAM events = std::exchange(pendingEvents, 0);
    if (events & kWindowAppeared) listener->windowAppeared();
    else listener->foregroundMayHaveChanged();
    return 0;
  }
  if (message == WM_COPYDATA) return copyData(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
  if (message == taskbarCreated && taskbarCreated != 0) {
    listener->taskbarRestarted();
    return 0;
  }
  return std::nullopt;
}

std::optional<LRESULT> HeardEvents::copyData(const COPYDATASTRUCT* data) {
  if (data == nullptr) return std::nullopt;
  switch (sortCopyData(data->dwData, data->lpData, data->cbData)) {
    case CopyData::NotTheMenus: return std::nullopt;  // the state queries are the view's
    case CopyData::Refused: return FALSE;
    case CopyData::ExplorerMenu: break;
  }
  // A click on the Explorer menu, from whatever process sent it: the bytes
  // are copied and Explorer released before they are looked at.
  const auto* bytes = static_cast<const std::byte*>(data->lpData);
  const std::vector<std::byte> message(bytes, bytes + data->cbData);
  ReplyMessage(TRUE);
  listener->explorerMenuClicked(message);
  return TRUE;
}

Win32WindowEvents::Win32WindowEvents(HWND window) : heard_(std::make_shared<HeardEvents>()) {
  heard_->window = window;
}

Win32WindowEvents::~Win32WindowEvents() {
  hooks_.clear();
  if (g_watching == heard_.get()) g_watching = nullptr;
  heard_->listener = nullptr;  // the window may hear messages a little longer than this object lives
}

void Win32WindowEvents::listen(WindowEventListener& listener) { heard_->listener = &listener; }

void Win32WindowEvents::watchOtherWindows() {
  if (!hooks_.empty() || win32kit::machineSwitch(L"NoWinEvent")) return;
  g_watching = heard_.get();
  for (DWORD event : {EVENT_SYSTEM_FOREGROUND, EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_FOCUS, EVENT_OBJECT_CREATE,
                      EVENT_OBJECT_SHOW})
    hooks_.push_back(hookWinEvent(event));
}

Win32WindowEvents::MessageHandler Win32WindowEvents::messageHandler() const {
  return [heard = heard_](UINT message, WPARAM, LPARAM lParam) { return heard->handle(message, lParam); };
}

}  // namespace platform::win32
