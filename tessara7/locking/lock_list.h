#pragma once
// The lock list of the "Access Control" page: the task names whose windows
// the master password guards. It holds the entries itself, loads and saves
// them, and keeps lstProgram showing them; the handlers edit it.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "forms/form.h"
#include "platform/desktop.h"
#include "platform/registry.h"
#include "tessara7/locking/lock_rows.h"

namespace tessara {

class RegistryAccess;

class LockList {
 public:
  // What the list needs of the program around it.
  class Host {
   public:
    virtual ~Host() = default;
    virtual void showNotice(std::string text) = 0;
    // The configuration commands' guard: true while the configuration is
    // locked, having asked for the password.
    virtual bool askConfigPassword() = 0;
    // Opens the picker of running tasks.
    virtual void showTaskPicker() = 0;
  };
  struct Controls {
    forms::Form& window;
    forms::TabControl& SSTab1;
    int accessPage;
    forms::TextBox& txtTask;
    forms::Button& cmdAdd;
    forms::Button& cmdDel;
    forms::CheckList& lstProgram;
  };
  LockList(Host& host, Controls controls);

  void cmdAdd_Click();
  void cmdDel_Click();
  void lstProgram_KeyDown(int key);
  void lstProgram_ItemCheck(int index);
  void txtTask_Click();
  void cmdHelper0_Click();
  void cmdlockprogram_Click();
  void cmdSelect_Click();

  // Appends a task name as typed or picked; the new entry becomes the
  // highlighted one when `highlight`. False, with the notice, when the list
  // is full (only 999 rows are read back).
  bool append(std::string task, bool ticked, bool highlight);

  // Removes the entry at the index; nothing when there is none.
  void remove(int index);
  const std::vector<LockEntry>& entries() const { return entries_; }
  // Whether a ticked, non-empty entry occurs in the title (case-sensitive).
  bool locks(const std::string& title) const { return locksTitle(entries_, title); }
  // Whether a ticked entry names a program file, and whether one names
  // this one (see program_entries.h).
  bool hasProgramEntries() const;
  bool locksProgram(const platform::ProgramFile& file) const;
  int count() const { return static_cast<int>(entries_.size()); }
  int lockedCount() const;

  void clear();
  // Adds the rows stored under the root (see loadLockRows).
  void load(RegistryAccess& registry, platform::Root root);
  // Adds rows read before (loadLockRows, read ahead of the load).
  void load(std::vector<LockEntry> rows);
  // Stores the entries as the rows of the scope chosen: the machine's rows
  // go, and a user's rows past the list's end, so that no row of an earlier,
  // longer list comes back. Nothing while the list shown is the
  // administrator's: the owner's rows stay as stored.
  void save(RegistryAccess& registry, platform::Root root) const;
  // The administrator's list in place of the owner's: shown ticked, and the
  // list and its buttons greyed; nothing when the owner's list holds again.
  void showManaged(const std::optional<std::vector<std::string>>& tasks);
  bool managed() const { return managed_; }
  // Whether the entries or their ticks differ from those the last load found.
  bool changedSinceLoad() const { return entries_ != loaded_; }
  // An empty list gets the suggested task names, unticked.
  void suggestWhenEmpty();

  // Runs after every change of the entries or their ticks.
  std::function<void()> onChanged;

 private:
  void changed();
  void removeAt(int index);
  void showAll();

  std::vector<LockEntry> entries_;
  std::vector<LockEntry> loaded_;
  bool managed_ = false;
  Host& host_;
  Controls c_;
};

}  // namespace tessara
