#include "platform/sim/sim_shell.h"

#include <algorithm>

#include "platform/sim/fold.h"

namespace platform::sim {

StartResult SimShell::startProgram(std::string_view path, int showCommand, std::string_view folder) {
  if (const auto failing = failingStarts_.find(fold(path)); failing != failingStarts_.end())
    return {false, failing->second};
  started_.push_back({std::string(path), showCommand, std::string(folder)});
  // A copy: the hook may start further programs and grow the record.
  const StartedProgram program = started_.back();
  if (onStart) onStart(program);
  return {true, {}};
}

bool SimShell::shellExecute(WindowHandle parent, std::string_view verb, std::string_view file,
                            int showCommand) {
  executed_.push_back({parent, std::string(verb), std::string(file), showCommand});
  return std::find(failingExecutes_.begin(), failingExecutes_.end(), fold(file)) ==
         failingExecutes_.end();
}

int SimShell::messageBox(WindowHandle owner, std::string_view text, std::string_view title,
                         std::uint32_t flags) {
  messages_.push_back({owner, std::string(text), std::string(title), flags});
  const ShownMessage message = messages_.back();
  if (onMessageBox) onMessageBox(message);
  if (!answers_.empty()) {
    const int answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  return (flags & 0xF) == MbYesNo ? IdYes : IdOk;
}

std::string SimShell::browseForFileOrFolder(WindowHandle, std::string_view title) {
  browseTitles_.emplace_back(title);
  if (browseAnswers_.empty()) return {};
  std::string path = std::move(browseAnswers_.front());
  browseAnswers_.pop_front();
  return path;
}

void SimShell::failStart(std::string_view path, std::string_view error) {
  failingStarts_[fold(path)] = std::string(error);
}

void SimShell::failShellExecute(std::string_view file) { failingExecutes_.push_back(fold(file)); }

}  // namespace platform::sim
