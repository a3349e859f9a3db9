#include "tessara7/locking/foreground_watcher.h"

#include <algorithm>

#include "tessara7/locking/ignore_list.h"
#include "tessara7/locking/lock_guard.h"
#include "tessara7/locking/lock_list.h"
#include "tessara7/locking/program_entries.h"
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
    auto w = desktop.findWindow("IEFrame", std::nullopt);
    if (w == 0 && runsOneOf(state.ForegroundWindow, state.InternetExplorerFiles)) w = state.ForegroundWindow;
    if (w != 0) lockWholeProgram(w, Action::InternetExplorer, "Internet Explorer");
  }
  if (state.LockWindowsExplorer) {
    auto w = desktop.findWindow("ExploreWClass", std::nullopt);
    if (w == 0) w = desktop.findWindow("CabinetWClass", std::nullopt);
    if (w != 0) lockWholeProgram(w, Action::WindowsExplorer, "Windows Explorer");
  }
}

// The process of the window when a ticked program entry names its file.
std::optional<platform::ProcessKey> ForegroundWatcher::lockedProgram(platform::WindowHandle window) {
  // The list is asked first: with no program entry no process is looked at.
  if (!lockList_.hasProgramEntries()) return std::nullopt;
  const auto program = app_.programs().of(window);
  if (!program || !lockList_.locksProgram(*program->file)) return std::nullopt;
  return program->process;
}

bool ForegroundWatcher::runsOneOf(platform::WindowHandle window, const std::vector<std::string>& files) {
  if (window == 0 || files.empty() || app_.os().desktop.isOwnWindow(window)) return false;
  const auto program = app_.programs().of(window);
  return program && std::any_of(files.begin(), files.end(),
                                [&](const std::string& file) { return namesProgram(file, *program->file); });
}

void ForegroundWatcher::lockListedWindow() {
  auto& state = app_.state();
  const auto& title = state.ForegroundTitle;
  const platform::WindowHandle window = state.ForegroundWindow;
  if (window == 0) return;
  const bool byTitle = !title.empty() && lockList_.locks(title);
  const auto program = lockedProgram(window);
  if (!byTitle && !program) return;
  // The program's own windows (the prompt above all) are never locked, or a
  // task name such as "ions" would lock the prompt that ends every lock.
  if (app_.os().desktop.isOwnWindow(window)) return;
  // Releases and ignored titles do not depend on which entry matched, so
  // they are checked once rather than for every entry. A program's window
  // is released with its process, a title's with its class.
  if (program ? releases_.processReleased(*program) : releases_.classReleased(state.ForegroundClass)) return;
  if (ignoreList_.ignores(title)) return;

  PasswordRequest request = listedWindowRequest(window, title, state.ForegroundClass, program);
  app_.requestPassword(request);
  auto& desktop = app_.os().desktop;
  desktop.showWindowAsync(window, platform::SwMinimize);
  desktop.showWindowAsync(window, platform::SwHide);
  app_.lockGuard().held(std::move(request));
}

PasswordRequest ForegroundWatcher::listedWindowRequest(platform::WindowHandle window, std::string title,
                                                       std::string windowClass,
                                                       std::optional<platform::ProcessKey> program) {
  PasswordRequest request{Action::ListedWindow, std::move(title), window, std::move(windowClass), program};
  request.granted = [this, lock = request](const PasswordGiven& given) { releaseListed(lock, given.prompt); };
  return request;
}

void ForegroundWatcher::releaseListed(const PasswordRequest& lock, PromptFace& prompt) {
  const std::string& title = lock.title.value();
  if (lock.process) releases_.releaseProcess(*lock.process, title);
  else releases_.releaseClass(lock.item.value_or(""), title);
  app_.lockGuard().showReleased(lock.window);
  if (prompt.takeIgnoreTick()) {
    app_.ignoreList().ignore(title);
    prompt.hide();
    app_.showNotice(title + " will be ignored in future. See 'Ignore List' under Help topics for more details.");
  }
}

void ForegroundWatcher::lockWholeProgram(platform::WindowHandle window, Action action, const char* title) {
  app_.os().desktop.showWindowAsync(window, platform::SwMinimize);
  app_.requestPassword(wholeProgramRequest(window, action, title));
}

PasswordRequest ForegroundWatcher::wholeProgramRequest(platform::WindowHandle window, Action action,
                                                       std::string title) {
  App& app = app_;
  return {action, std::move(title), window, std::nullopt, std::nullopt, [&app, window, action](const PasswordGiven&) {
            auto& state = app.state();
            (action == Action::InternetExplorer ? state.LockInternetExplorer : state.LockWindowsExplorer) = false;
            app.os().desktop.showWindowAsync(window, platform::SwRestore);
          }};
}

}  // namespace tessara
