#include "tessara7/locking/releases.h"

#include <algorithm>
#include <charconv>
#include <optional>

namespace tessara {
namespace {

// A handle release: a window handle in decimal. Class names never are one.
std::optional<platform::WindowHandle> handleEntry(const std::string& entry) {
  platform::WindowHandle handle = 0;
  const auto [end, error] = std::from_chars(entry.data(), entry.data() + entry.size(), handle);
  if (error != std::errc() || end != entry.data() + entry.size() || handle == 0) return std::nullopt;
  return handle;
}

}  // namespace

Releases::Releases(forms::ListBox& lstAllow, forms::ListBox& lstUnlockedWin)
    : lstAllow_(lstAllow), lstUnlockedWin_(lstUnlockedWin) {}

void Releases::releaseClass(const std::string& windowClass, const std::string& title) {
  lstAllow_.addItem(windowClass);
  lstUnlockedWin_.addItem(title);
}

void Releases::releaseWindow(platform::WindowHandle window) { lstAllow_.addItem(std::to_string(window)); }

void Releases::releaseProcess(const platform::ProcessKey& process, const std::string& title) {
  if (!processReleased(process)) processes_.push_back(process);
  lstUnlockedWin_.addItem(title);
}

bool Releases::processReleased(const platform::ProcessKey& process) const {
  return std::find(processes_.begin(), processes_.end(), process) != processes_.end();
}

bool Releases::classReleased(const std::string& windowClass) const {
  const auto& entries = lstAllow_.items();
  return !windowClass.empty() && std::find(entries.begin(), entries.end(), windowClass) != entries.end();
}

bool Releases::windowReleased(platform::WindowHandle window) const {
  if (window == 0) return false;
  return std::any_of(lstAllow_.items().begin(), lstAllow_.items().end(),
                     [&](const std::string& entry) { return handleEntry(entry) == window; });
}

void Releases::prune(platform::Desktop& desktop) {
  for (int i = lstAllow_.count() - 1; i >= 0; --i) {
    const std::string& entry = lstAllow_.item(i);
    const auto handle = handleEntry(entry);
    const bool alive = (handle && desktop.isWindow(*handle)) ||
                       (!entry.empty() && desktop.findWindow(entry, std::nullopt) != 0);
    if (!alive) lstAllow_.removeItem(i);
  }
  if (processes_.empty()) return;
  // Only while a process is released: a walk of every window costs a call each.
  std::vector<std::uint32_t> withWindows;
  for (const platform::WindowHandle w : desktop.topLevelWindows()) withWindows.push_back(desktop.windowProcessId(w));
  std::erase_if(processes_, [&](const platform::ProcessKey& p) {
    return desktop.process(p.id) != p || std::find(withWindows.begin(), withWindows.end(), p.id) == withWindows.end();
  });
}

void Releases::mnuResetLocks_Click() {
  lstUnlockedWin_.clear();
  lstAllow_.clear();
  processes_.clear();
}

}  // namespace tessara
