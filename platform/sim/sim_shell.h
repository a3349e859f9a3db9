#pragma once
// A simulated shell for native tests: program starts and documents are
// recorded, message boxes answer from a queue the test fills.
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/shell.h"

namespace platform::sim {

struct StartedProgram {
  std::string path;
  int showCommand;
  std::string folder;
};

struct ShellExecuted {
  WindowHandle parent;
  std::string verb;
  std::string file;
  int showCommand;
};

struct ShownMessage {
  WindowHandle owner;
  std::string text;
  std::string title;
  std::uint32_t flags;
};

class SimShell final : public Shell {
 public:
  // Fails for paths given to failStart (compared without regard to ASCII
  // case), else records the start and calls onStart.
  StartResult startProgram(std::string_view path, int showCommand, std::string_view folder) override;
  // Recorded; fails for files given to failShellExecute.
  bool shellExecute(WindowHandle parent, std::string_view verb, std::string_view file,
                    int showCommand) override;
  // Recorded; calls onMessageBox (a modal box lets timers run), then answers
  // with the next queued answer, or with the first button when none is queued.
  int messageBox(WindowHandle owner, std::string_view text, std::string_view title,
                 std::uint32_t flags) override;
  std::string programPath() override { return programPath_; }
  // One holder per name on this simulated machine: the programs of one test
  // share the shell, so a second App started on it finds the name held.
  bool claimSingleInstance(std::string_view name) override;
  void releaseSingleInstance() override;
  // While a claim made through this shell holds (the programs of a test share it).
  bool runningCopy() const override { return !claimedHere_.empty(); }
  std::string userSid() override { return userSid_; }
  // Recorded; answers with the next queued path, or empty (cancelled).
  std::string browseForFileOrFolder(WindowHandle parent, std::string_view title) override;
  // Answered from the browse answers' queue too.
  std::string saveFileName(WindowHandle parent, std::string_view title, std::string_view, std::string_view,
                           std::string_view) override {
    return browseForFileOrFolder(parent, title);
  }

  // --- for tests ---
  void failStart(std::string_view path, std::string_view error);
  void failShellExecute(std::string_view file);
  void queueAnswer(int answer) { answers_.push_back(answer); }
  void queueBrowseAnswer(std::string path) { browseAnswers_.push_back(std::move(path)); }
  const std::vector<std::string>& browseTitles() const { return browseTitles_; }
  void setProgramPath(std::string_view path) { programPath_ = std::string(path); }
  void setUserSid(std::string_view sid) { userSid_ = std::string(sid); }
  // Another process holds the name (or lets it go).
  void holdInstanceElsewhere(std::string_view name, bool held);
  bool instanceHeld(std::string_view name) const { return held_.count(std::string(name)) != 0; }

  std::function<void(const StartedProgram&)> onStart;
  std::function<void(const ShownMessage&)> onMessageBox;

  const std::vector<StartedProgram>& started() const { return started_; }
  const std::vector<ShellExecuted>& executed() const { return executed_; }
  const std::vector<ShownMessage>& messages() const { return messages_; }
  std::size_t unusedAnswers() const { return answers_.size(); }

 private:
  std::map<std::string, std::string> failingStarts_;  // folded path -> error text
  std::vector<std::string> failingExecutes_;          // folded file names
  std::deque<int> answers_;
  std::deque<std::string> browseAnswers_;
  std::vector<std::string> browseTitles_;
  std::string programPath_ = "C:\\Program Files\\Tessara\\tessara7.exe";
  std::string userSid_ = "S-1-5-21-1004336348-1177238915-682003330-1001";
  std::vector<StartedProgram> started_;
  std::vector<ShellExecuted> executed_;
  std::vector<ShownMessage> messages_;
  std::set<std::string> held_;
  std::vector<std::string> claimedHere_;  // the claims of the program (the last one first released)
};

}  // namespace platform::sim
