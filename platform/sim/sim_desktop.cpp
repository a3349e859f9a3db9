#include "platform/sim/sim_desktop.h"

#include <algorithm>

#include "platform/sim/fold.h"

namespace platform::sim {

SimDesktop::Window* SimDesktop::find(WindowHandle w) {
  const auto found = std::find_if(windows_.begin(), windows_.end(),
                                  [w](const Window& window) { return window.handle == w; });
  return found == windows_.end() ? nullptr : &*found;
}

const SimDesktop::Window* SimDesktop::find(WindowHandle w) const {
  return const_cast<SimDesktop*>(this)->find(w);
}

WindowHandle SimDesktop::foregroundWindow() { return foreground_; }

std::string SimDesktop::windowText(WindowHandle w) {
  const Window* window = find(w);
  return window ? window->title : std::string{};
}

std::string SimDesktop::className(WindowHandle w) {
  const Window* window = find(w);
  return window ? window->className : std::string{};
}

WindowHandle SimDesktop::findWindow(std::optional<std::string_view> className,
                                    std::optional<std::string_view> title) {
  for (const Window& window : windows_) {
    if (className && !equalsFolded(window.className, *className)) continue;
    if (title && !equalsFolded(window.title, *title)) continue;
    return window.handle;
  }
  return 0;
}

bool SimDesktop::isWindow(WindowHandle w) { return find(w) != nullptr; }

bool SimDesktop::isOwnWindow(WindowHandle w) {
  const Window* window = find(w);
  return window != nullptr && window->own;
}

void SimDesktop::showWindowAsync(WindowHandle w, int command) {
  showCalls_.push_back({w, command});
  Window* window = find(w);
  if (window == nullptr) return;
  switch (command) {
    case SwHide:
      window->hidden = true;
      break;
    case SwShow:
      window->hidden = false;
      break;
    case SwShowMinimized:
    case SwMinimize:
      window->hidden = false;
      window->minimised = true;
      break;
    case SwShowNormal:
    case SwRestore:
      window->hidden = false;
      window->minimised = false;
      break;
    default:
      break;
  }
}

void SimDesktop::postClose(WindowHandle w) {
  closeRequests_.push_back(w);
  const Window* window = find(w);
  if (window != nullptr && !window->refusesClose) destroyWindow(w);
}

void SimDesktop::setWindowText(WindowHandle w, std::string_view text) { setTitle(w, text); }

std::uint32_t SimDesktop::windowStyle(WindowHandle w) {
  const Window* window = find(w);
  if (window == nullptr) return 0;
  std::uint32_t style = window->style & ~(StyleVisible | StyleMinimized);
  if (!window->hidden) style |= StyleVisible;
  if (window->minimised) style |= StyleMinimized;
  return style;
}

std::vector<WindowHandle> SimDesktop::topLevelWindows() {
  std::vector<WindowHandle> handles;
  for (const Window& window : windows_) handles.push_back(window.handle);
  return handles;
}

std::vector<TitledWindow> SimDesktop::titledWindows(std::uint32_t requiredStyle, WindowHandle except) {
  std::vector<TitledWindow> found;
  for (const Window& window : windows_)
    if (window.handle != except && (windowStyle(window.handle) & requiredStyle) == requiredStyle &&
        !window.title.empty())
      found.push_back({window.handle, window.title});
  return found;
}

void SimDesktop::broadcastPolicyChange() { ++policyBroadcasts_; }

void SimDesktop::sendKeyPress(std::uint16_t virtualKey) { keyPresses_.push_back(virtualKey); }

void SimDesktop::setWindowMark(WindowHandle w, std::string_view name, bool on) {
  Window* window = find(w);
  if (window == nullptr) return;
  std::erase(window->marks, std::string(name));
  if (on) window->marks.emplace_back(name);
}

bool SimDesktop::hasMark(WindowHandle w, std::string_view name) const {
  const Window* window = find(w);
  return window != nullptr && std::find(window->marks.begin(), window->marks.end(), name) != window->marks.end();
}

WindowHandle SimDesktop::createWindow(std::string_view title, std::string_view className,
                                      std::uint32_t style) {
  const WindowHandle handle = nextHandle_;
  nextHandle_ += 2;
  const bool visible = (style & StyleVisible) != 0;
  windows_.insert(windows_.begin(), Window{handle, std::string(title), std::string(className), style,
                                           (style & StyleMinimized) != 0, !visible, false, false, 0, {}});
  if (visible) foreground_ = handle;
  return handle;
}

void SimDesktop::destroyWindow(WindowHandle w) {
  std::erase_if(windows_, [w](const Window& window) { return window.handle == w; });
  if (foreground_ == w) foreground_ = 0;
}

void SimDesktop::bringToFront(WindowHandle w) {
  const auto found = std::find_if(windows_.begin(), windows_.end(),
                                  [w](const Window& window) { return window.handle == w; });
  if (found == windows_.end()) return;
  std::rotate(windows_.begin(), found, found + 1);
  foreground_ = w;
}

void SimDesktop::setForeground(WindowHandle w) {
  if (w == 0 || find(w) != nullptr) foreground_ = w;
}

void SimDesktop::setTitle(WindowHandle w, std::string_view title) {
  if (Window* window = find(w)) window->title = std::string(title);
}

void SimDesktop::setRefusesClose(WindowHandle w, bool refuses) {
  if (Window* window = find(w)) window->refusesClose = refuses;
}

void SimDesktop::setOwnWindow(WindowHandle w, bool own) {
  if (Window* window = find(w)) window->own = own;
}

std::uint32_t SimDesktop::windowProcessId(WindowHandle w) {
  const Window* window = find(w);
  return window != nullptr ? window->process : 0;
}

std::optional<ProcessKey> SimDesktop::process(std::uint32_t id) {
  for (const Process& p : processes_)
    if (p.id == id) return ProcessKey{p.id, p.started};
  return std::nullopt;
}

ProgramFile SimDesktop::programFile(std::uint32_t id) {
  ++programFileReads_;
  for (const Process& p : processes_)
    if (p.id == id) return p.file;
  return {};
}

void SimDesktop::startProcess(std::uint32_t id, std::uint64_t started, std::string_view fileName,
                              std::string_view originalName, bool readable) {
  endProcess(id);
  processes_.push_back({id, started, {std::string(fileName), readable ? std::string(originalName) : std::string()}});
}

void SimDesktop::endProcess(std::uint32_t id) {
  std::erase_if(processes_, [&](const Process& p) { return p.id == id; });
}

void SimDesktop::setWindowProcess(WindowHandle w, std::uint32_t id) {
  if (Window* window = find(w)) window->process = id;
}

bool SimDesktop::isMinimised(WindowHandle w) const {
  const Window* window = find(w);
  return window != nullptr && window->minimised;
}

bool SimDesktop::isHidden(WindowHandle w) const {
  const Window* window = find(w);
  return window != nullptr && window->hidden;
}

}  // namespace platform::sim
