#include "tessara7/locking/foreground_watcher.h"

#include "tessara7/locking/ignore_list.h"
#include "tessara7/locking/lock_guard.h"
#include "tessara7/locking/lock_list.h"
#include "tessara7/locking/releases.h"
#include "tessara7/shell/app.h"

namespace tessara {

ForegroundWatcher::ForegroundWatcher(App& app, const LockList& lockList, Releases& releases,
                                     const IgnoreList& ignoreList)
    : app_(app), lockList_(lockList), releases_(releases), ignoreList_(ignoreList) {}

void ForegroundWatcher::timerTessara_Timer() {
  auto& state = app_.state();
  auto& desktop = app_.os().desktop;

  state.ForegroundWindow = desktop.foregroundWindow();
  state.ForegroundTitle = desktop.windowText(state.ForegroundWindow);
  state.ForegroundClass = desktop.className(state.ForegroundWindow);

  lockListedWindow();
  releases_.prune(desktop);

  if (state.LockInternetExplorer) {
    if (const auto w = desktop.findWindow("IEFrame", std::nullopt); w != 0)
      lockWholeProgram(w, Action::InternetExplorer, "Internet Explorer");
  }
  if (state.LockWindowsExplorer) {
    auto w = desktop.findWindow("ExploreWClass", std::nullopt);
    if (w == 0) w = desktop.findWindow("CabinetWClass", std::nullopt);
    if (w != 0) lockWholeProgram(w, Action::WindowsExplorer, "Windows Explorer");
  }
}

void ForegroundWatcher::lockListedWindow() {
  auto& state = app_.state();
  const auto& title = state.ForegroundTitle;
  if (state.ForegroundWindow == 0 || title.empty() || !lockList_.locks(title)) return;
  // The program's own windows (the prompt above all) are never locked, or a
  // task name such as "ions" would lock the prompt that ends every lock.
  if (app_.os().desktop.isOwnWindow(state.ForegroundWindow)) return;
  // Releases and ignored titles do not depend on which entry matched, so
  // they are checked once rather than for every entry.
  if (releases_.classReleased(state.ForegroundClass) || ignoreList_.ignores(title)) return;

  const platform::WindowHandle window = state.ForegroundWindow;
  app_.requestPassword(Action::ListedWindow, title, window, state.ForegroundClass);
  auto& desktop = app_.os().desktop;
  desktop.showWindowAsync(window, platform::SwMinimize);
  desktop.showWindowAsync(window, platform::SwHide);
  app_.lockGuard().held(window, Action::ListedWindow, title, state.ForegroundClass);
}

void ForegroundWatcher::lockWholeProgram(platform::WindowHandle window, Action action, const char* title) {
  app_.os().desktop.showWindowAsync(window, platform::SwMinimize);
  app_.requestPassword(action, title, window);
}

}  // namespace tessara
