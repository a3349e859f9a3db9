#pragma once
// The task picker "Select a Task to Lock": the titles of the running tasks
// with their programs, from which the user locks a title or a program file,
// or edits a title into a task name, instead of typing it. The lock list
// takes what is picked.
#include <optional>
#include <string>
#include <vector>

#include "forms/form.h"
#include "platform/desktop.h"
#include "tessara7/locking/tasks.h"

namespace tessara {

class LockList;
class ProgramLookup;

class FrmLock : public forms::Form {
 public:
  // What the picker needs of the program around it.
  class Host {
   public:
    virtual ~Host() = default;
    virtual void showNotice(std::string text) = 0;
    // The "Edit Task" box: waits for the confirmed text, nothing after Cancel.
    virtual std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                                const std::string& suggested) = 0;
    // Closes an open input box as Cancel does.
    virtual void closeInputBox() = 0;
  };
  FrmLock(forms::Runtime& runtime, Host& host, LockList& lockList, platform::Desktop& desktop,
          ProgramLookup& programs);

  forms::Label lblTask{*this, "lblTask", "Running tasks:"};
  forms::ListBox lstWindows{*this, "lstWindows"};
  forms::Button cmdSelect{*this, "cmdSelect", "Lock!"};
  forms::Button cmdSelectProgram{*this, "cmdSelectProgram", "Lock Program"};
  forms::Button cmdEdit{*this, "cmdEdit", "Edit..."};
  forms::Button cmdRefresh{*this, "cmdRefresh", "Refresh"};
  forms::Button cmdCancel{*this, "cmdCancel", "Cancel"};
  forms::Label cmdwebpage{*this, "cmdwebpage", "How to lock a Task"};
  forms::Timer Timer1{*this, "Timer1", 60000, true};

  // Lists the running tasks afresh.
  void FindTasks();

  void cmdSelect_Click();
  void cmdSelectProgram_Click();
  void cmdEdit_Click();
  void cmdCancel_Click();
  void cmdwebpage_Click();

 private:
  // The highlighted task, empty when none is.
  RunningTask highlighted() const;

  Host& host_;
  LockList& lockList_;
  platform::Desktop& desktop_;
  ProgramLookup& programs_;
  std::vector<RunningTask> tasks_;  // as lstWindows lists them
  bool editing_ = false;  // the "Edit Task" box is open
};

}  // namespace tessara
