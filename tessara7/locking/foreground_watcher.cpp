#include "tessara7/locking/foreground_watcher.h"

#include <algorithm>

#include "tessara7/locking/ignore_list.h"
#include "tessara7/locking/lock_guard.h"
#include "tessara7/locking/lock_list.h"
#include "tessara7/locking/program_entries.h"
#include "tessara7/locking/releases.h"

namespace tessara {

ForegroundWatcher::ForegroundWatcher(Host& host, Parts parts) : host_(host), p_(parts) {}

void ForegroundWatcher::timerTessara_Timer() {
  auto& desktop = p_.desktop;

  capture_.ForegroundWindow = desktop.foregroundWindow();
  capture_.ForegroundTitle = desktop.windowText(capture_.ForegroundWindow);
  capture_.ForegroundClass = desktop.className(capture_.ForegroundWindow);

  lockListedWindow();
  p_.releases.prune(desktop);

  if (locks_.LockInternetExplorer) {
    auto w = desktop.findWindow("IEFrame", std::nullopt);
    if (w == 0 && runsOneOf(capture_.ForegroundWindow, locks_.InternetExplorerFiles)) w = capture_.ForegroundWindow;
    if (w != 0) lockWholeProgram(w, Action::InternetExplorer, "Internet Explorer");
  }
  if (locks_.LockWindowsExplorer) {
    auto w = desktop.findWindow("ExploreWClass", std::nullopt);
    if (w == 0) w = desktop.findWindow("CabinetWClass", std::nullopt);
    if (w != 0) lockWholeProgram(w, Action::WindowsExplorer, "Windows Explorer");
  }
}

// The process of the window when a ticked program entry names its file.
std::optional<platform::ProcessKey> ForegroundWatcher::lockedProgram(platform::WindowHandle window) {
  // The list is asked first: with no program entry no process is looked at.
  if (!p_.lockList.hasProgramEntries()) return std::nullopt;
  const auto program = p_.programs.of(window);
  if (!program || !p_.lockList.locksProgram(*program->file)) return std::nullopt;
  return program->process;
}

bool ForegroundWatcher::runsOneOf(platform::WindowHandle window, const std::vector<std::string>& files) {
  if (window == 0 || files.empty() || p_.desktop.isOwnWindow(window)) return false;
  const auto program = p_.programs.of(window);
  return program && std::any_of(files.begin(), files.end(),
                                [&](const std::string& file) { return namesProgram(file, *program->file); });
}

void ForegroundWatcher::lockListedWindow() {
  const auto& title = capture_.ForegroundTitle;
  const platform::WindowHandle window = capture_.ForegroundWindow;
  if (window == 0) return;
  const bool byTitle = !title.empty() && p_.lockList.locks(title);
  const auto program = lockedProgram(window);
  if (!byTitle && !program) return;
  // The program's own windows (the prompt above all) are never locked, or a
  // task name such as "ions" would lock the prompt that ends every lock.
  if (p_.desktop.isOwnWindow(window)) return;
  // Releases and ignored titles do not depend on which entry matched, so
  // they are checked once rather than for every entry. A program's window
  // is released with its process, a title's with its class.
  if (program ? p_.releases.processReleased(*program) : p_.releases.classReleased(capture_.ForegroundClass)) return;
  if (p_.ignoreList.ignores(title)) return;

  PasswordRequest request = listedWindowRequest(window, title, capture_.ForegroundClass, program);
  host_.requestPassword(request);
  p_.desktop.showWindowAsync(window, platform::SwMinimize);
  p_.desktop.showWindowAsync(window, platform::SwHide);
  host_.lockGuard().held(std::move(request));
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
  if (lock.process) p_.releases.releaseProcess(*lock.process, title);
  else p_.releases.releaseClass(lock.item.value_or(""), title);
  host_.lockGuard().showReleased(lock.window);
  if (prompt.takeIgnoreTick()) {
    p_.ignoreList.ignore(title);
    prompt.hide();
    host_.showNotice(title + " will be ignored in future. See 'Ignore List' under Help topics for more details.");
  }
}

void ForegroundWatcher::lockWholeProgram(platform::WindowHandle window, Action action, const char* title) {
  p_.desktop.showWindowAsync(window, platform::SwMinimize);
  host_.requestPassword(wholeProgramRequest(window, action, title));
}

PasswordRequest ForegroundWatcher::wholeProgramRequest(platform::WindowHandle window, Action action,
                                                       std::string title) {
  return {action, std::move(title), window, std::nullopt, std::nullopt, [this, window, action](const PasswordGiven&) {
            (action == Action::InternetExplorer ? locks_.LockInternetExplorer : locks_.LockWindowsExplorer) = false;
            p_.desktop.showWindowAsync(window, platform::SwRestore);
          }};
}

}  // namespace tessara
