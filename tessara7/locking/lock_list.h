#pragma once
// The lock list of the "Access Control" page: the task names whose windows
// the master password guards, with the handlers that edit it, its loading
// from and its rows for the store.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "forms/form.h"
#include "platform/desktop.h"
#include "platform/registry.h"

namespace tessara {

class App;
class RegistryAccess;

class LockList {
 public:
  struct Controls {
    forms::Form& window;
    forms::TabControl& SSTab1;
    int accessPage;
    forms::TextBox& txtTask;
    forms::Button& cmdAdd;
    forms::Button& cmdDel;
    forms::CheckList& lstProgram;
  };
  LockList(App& app, Controls controls);

  void cmdAdd_Click();
  void cmdDel_Click();
  void lstProgram_KeyDown(int key);
  void txtTask_Click();
  void cmdHelper0_Click();
  void cmdlockprogram_Click();
  void cmdSelect_Click();

  // Appends a task name as typed or picked; the new entry becomes the
  // highlighted one when `highlight`. False, with the notice, when the list
  // is full (only 999 rows are read back).
  bool append(std::string task, bool ticked, bool highlight);

  // Whether a ticked, non-empty entry occurs in the title (case-sensitive).
  bool locks(const std::string& title) const;
  // Whether a ticked entry names a program file, and whether one names
  // this one (see program_entries.h).
  bool hasProgramEntries() const;
  bool locksProgram(const platform::ProgramFile& file) const;
  int count() const;
  int lockedCount() const;
  const forms::CheckList& rows() const { return c_.lstProgram; }

  void clear();
  // Appends the rows Windows0 to Windows998 found under the root; a row with
  // an empty "Window" is skipped, an "Enabled" other than "0" ticks it.
  void loadRows(RegistryAccess& registry, platform::Root root);
  // The administrator's list in place of the owner's: shown ticked, and the
  // list and its buttons greyed; nothing when the owner's list holds again.
  void showManaged(const std::optional<std::vector<std::string>>& tasks);
  bool managed() const { return managed_; }
  // Whether the entries or their ticks differ from those the last load found.
  bool changedSinceLoad() const;
  // An empty list gets the suggested task names, unticked.
  void suggestWhenEmpty();

  // Runs after every change of the entries or their ticks.
  std::function<void()> onChanged;

 private:
  void changed();
  std::vector<forms::CheckList::Entry> loaded_;
  bool managed_ = false;
  static std::vector<int> rowsToRead(RegistryAccess& registry, platform::Root root);

  App& app_;
  Controls c_;
};

}  // namespace tessara
