// The foreground watcher: twice a second (and at once when the foreground
// window or its title changes) it locks a window whose title holds a ticked
// task name, enforces the two whole-program locks, and prunes releases.
#include <algorithm>
#include <charconv>

#include "tessara7/shell/app.h"
#include "tessara7/shell/frm_config.h"

namespace tessara {
namespace {

bool contains(const std::vector<std::string>& list, const std::string& text) {
  return std::find(list.begin(), list.end(), text) != list.end();
}

// A release entry of the advanced watcher: a window handle in decimal.
std::optional<platform::WindowHandle> handleEntry(const std::string& entry) {
  platform::WindowHandle handle = 0;
  const auto [end, error] = std::from_chars(entry.data(), entry.data() + entry.size(), handle);
  if (error != std::errc() || end != entry.data() + entry.size() || handle == 0) return std::nullopt;
  return handle;
}

}  // namespace

void FrmConfig::connectWatcher() {
  timerTessara.onTimer = [this] { timerTessara_Timer(); };
}

void FrmConfig::timerTessara_Timer() {
  auto& state = app_.state();
  auto& desktop = app_.os().desktop;

  state.ForegroundWindow = desktop.foregroundWindow();
  state.ForegroundTitle = desktop.windowText(state.ForegroundWindow);
  state.ForegroundClass = desktop.className(state.ForegroundWindow);

  lockListedWindow();
  pruneReleases();

  if (state.LockInternetExplorer) {
    if (const auto w = desktop.findWindow("IEFrame", std::nullopt); w != 0)
      lockWholeProgram(w, "ie", "Internet Explorer");
  }
  if (state.LockWindowsExplorer) {
    auto w = desktop.findWindow("ExploreWClass", std::nullopt);
    if (w == 0) w = desktop.findWindow("CabinetWClass", std::nullopt);
    if (w != 0) lockWholeProgram(w, "ex", "Windows Explorer");
  }
}

void FrmConfig::lockListedWindow() {
  auto& state = app_.state();
  const auto& title = state.ForegroundTitle;
  if (state.ForegroundWindow == 0 || title.empty()) return;
  const bool matches = std::any_of(lstProgram.entries().begin(), lstProgram.entries().end(),
                                   [&](const forms::CheckList::Entry& entry) {
                                     return entry.checked && !entry.text.empty() &&
                                            title.find(entry.text) != std::string::npos;
                                   });
  if (!matches) return;
  // Releases and ignored titles do not depend on which entry matched, so
  // they are checked once rather than for every entry.
  if (!state.ForegroundClass.empty() && contains(lstAllow.items(), state.ForegroundClass)) return;
  if (contains(lstignore.items(), title)) return;

  state.PendingAction = "app";
  state.PendingWindow = state.ForegroundWindow;
  state.PendingTitle = title;
  state.PendingItem = state.ForegroundClass;
  if (!state.DialogOpen) ShowPWD();
  auto& desktop = app_.os().desktop;
  desktop.showWindowAsync(state.ForegroundWindow, platform::SwMinimize);
  desktop.showWindowAsync(state.ForegroundWindow, platform::SwHide);
}

void FrmConfig::pruneReleases() {
  auto& desktop = app_.os().desktop;
  for (int i = lstAllow.count() - 1; i >= 0; --i) {
    const std::string& entry = lstAllow.item(i);
    // A class release lasts while a window of the class exists; a handle
    // release (advanced watcher) while that window exists.
    const auto handle = handleEntry(entry);
    const bool alive = (handle && desktop.isWindow(*handle)) ||
                       (!entry.empty() && desktop.findWindow(entry, std::nullopt) != 0);
    if (!alive) lstAllow.removeItem(i);
  }
}

void FrmConfig::lockWholeProgram(platform::WindowHandle window, const char* action, const char* title) {
  auto& state = app_.state();
  state.PendingWindow = window;
  state.PendingAction = action;
  state.PendingTitle = title;
  app_.os().desktop.showWindowAsync(window, platform::SwMinimize);
  if (!state.DialogOpen) ShowPWD();
}

}  // namespace tessara
