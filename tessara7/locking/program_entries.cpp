#include "tessara7/locking/program_entries.h"

#include <iterator>

#include "tessara7/common/text.h"

namespace tessara {
namespace {

constexpr std::string_view kProgramEnding = ".exe";

bool sameFileName(std::string_view a, std::string_view b) { return !a.empty() && lowerCase(a) == lowerCase(b); }

}  // namespace

bool isProgramEntry(std::string_view task) {
  // Every tick asks this of every ticked entry: no allocation.
  if (task.size() <= kProgramEnding.size()) return false;
  const std::string_view stem = task.substr(0, task.size() - kProgramEnding.size());
  for (std::size_t i = 0; i < kProgramEnding.size(); ++i) {
    const char c = task[stem.size() + i];
    if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != kProgramEnding[i]) return false;
  }
  return codePointCount(stem) >= 3;
}

bool namesProgram(std::string_view entry, const platform::ProgramFile& file) {
  // Windows' own programs give the name of their language file
  // ("NOTEPAD.EXE.MUI", "Taskmgr.exe.mui"): the program is the name before it.
  constexpr std::string_view kLanguageFile = ".mui";
  std::string_view original = file.originalName;
  if (original.size() > kLanguageFile.size() &&
      lowerCase(original.substr(original.size() - kLanguageFile.size())) == kLanguageFile)
    original.remove_suffix(kLanguageFile.size());
  return sameFileName(entry, file.fileName) || sameFileName(entry, original);
}

std::optional<ProgramLookup::Found> ProgramLookup::of(platform::WindowHandle window) {
  const std::uint32_t id = desktop_.windowProcessId(window);
  if (id == 0) return std::nullopt;
  platform::ProcessKey key;
  if (window == lastWindow_ && id == lastProcess_.id) {
    key = lastProcess_;
  } else {
    const auto running = desktop_.process(id);
    if (!running) return std::nullopt;
    key = *running;
    lastWindow_ = window;
    lastProcess_ = key;
  }
  auto found = files_.find(key);
  if (found == files_.end()) {
    if (files_.size() >= PruneAbove) prune();
    found = files_.emplace(key, desktop_.programFile(id)).first;
  }
  return Found{key, &found->second};
}

void ProgramLookup::prune() {
  for (auto it = files_.begin(); it != files_.end();)
    it = desktop_.process(it->first.id) == it->first ? std::next(it) : files_.erase(it);
}

}  // namespace tessara
