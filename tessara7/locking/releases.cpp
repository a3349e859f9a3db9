#include "tessara7/locking/releases.h"

#include <algorithm>
#include <optional>

namespace tessara {
namespace {

std::string shownText(const Releases::Allowance& allowance) {
  return allowance.window != 0 ? std::to_string(allowance.window) : allowance.windowClass;
}

}  // namespace

Releases::Releases(forms::ListBox& lstAllow, forms::ListBox& lstUnlockedWin)
    : lstAllow_(lstAllow), lstUnlockedWin_(lstUnlockedWin) {}

void Releases::showAllowances() {
  std::vector<std::string> texts;
  texts.reserve(allowances_.size());
  for (const Allowance& allowance : allowances_) texts.push_back(shownText(allowance));
  lstAllow_.setItems(std::move(texts));
}

void Releases::releaseClass(const std::string& windowClass, const std::string& title) {
  allowances_.push_back({windowClass, 0});
  lstAllow_.addItem(windowClass);
  titles_.push_back(title);
  lstUnlockedWin_.addItem(title);
}

void Releases::releaseWindow(platform::WindowHandle window) {
  allowances_.push_back({"", window});
  lstAllow_.addItem(shownText(allowances_.back()));
}

void Releases::releaseProcess(const platform::ProcessKey& process, const std::string& title) {
  if (!processReleased(process)) processes_.push_back(process);
  titles_.push_back(title);
  lstUnlockedWin_.addItem(title);
}

bool Releases::processReleased(const platform::ProcessKey& process) const {
  return std::find(processes_.begin(), processes_.end(), process) != processes_.end();
}

bool Releases::classReleased(const std::string& windowClass) const {
  return !windowClass.empty() && std::any_of(allowances_.begin(), allowances_.end(), [&](const Allowance& a) {
           return a.window == 0 && a.windowClass == windowClass;
         });
}

bool Releases::windowReleased(platform::WindowHandle window) const {
  if (window == 0) return false;
  return std::any_of(allowances_.begin(), allowances_.end(), [&](const Allowance& a) { return a.window == window; });
}

void Releases::prune(platform::Desktop& desktop) {
  const auto gone = std::erase_if(allowances_, [&](const Allowance& a) {
    if (a.window != 0) return !desktop.isWindow(a.window);
    return a.windowClass.empty() || desktop.findWindow(a.windowClass, std::nullopt) == 0;
  });
  if (gone != 0) showAllowances();
  if (processes_.empty()) return;
  // Only while a process is released: a walk of every window costs a call each.
  std::vector<std::uint32_t> withWindows;
  for (const platform::WindowHandle w : desktop.topLevelWindows()) withWindows.push_back(desktop.windowProcessId(w));
  std::erase_if(processes_, [&](const platform::ProcessKey& p) {
    return desktop.process(p.id) != p || std::find(withWindows.begin(), withWindows.end(), p.id) == withWindows.end();
  });
}

void Releases::mnuResetLocks_Click() {
  titles_.clear();
  lstUnlockedWin_.clear();
  allowances_.clear();
  lstAllow_.clear();
  processes_.clear();
}

}  // namespace tessara
