#include "tessara7/locking/lock_list.h"

#include <algorithm>
#include <array>
#include <vector>

#include "tessara7/common/text.h"
#include "tessara7/locking/program_entries.h"
#include "tessara7/settings/store_keys.h"

namespace tessara {
namespace {

constexpr int kDeleteKey = 46;

constexpr std::array<const char*, 25> kSuggestions{
    "Windows Media Player", "Notepad", "Messenger", "Task Manager", "Command Prompt",
    "System Configuration Utility", "Registry Editor", "Paint", "Run", "Outlook", "Solitaire",
    "Control Panel", "Display Properties", "Windows Firewall", "User Accounts", "System",
    "Folder Options", "Close Program", "My Computer", "My Music", "My Pictures", "Search",
    "Network Connections", "Local Disk", "DVD-RAM Drive"};

}  // namespace

LockList::LockList(Host& host, Controls controls) : host_(host), c_(controls) {}

void LockList::changed() {
  if (onChanged) onChanged();
}

// The whole list into the control at once (one refill, not a row at a time).
void LockList::showAll() {
  std::vector<forms::CheckList::Entry> rows;
  rows.reserve(entries_.size());
  for (const LockEntry& entry : entries_) rows.push_back({entry.task, entry.ticked});
  c_.lstProgram.setEntries(std::move(rows));
}

void LockList::cmdAdd_Click() {
  std::string task = c_.txtTask.text();
  if (codePointCount(task) < 3) {  // characters, not bytes
    host_.showNotice(
        "Please type a Task Name that's more than 2 characters. Or, click Browse to select from "
        "running tasks.");
    return;
  }
  if (!append(std::move(task), false, true)) return;
  c_.txtTask.setText("");
}

bool LockList::append(std::string task, bool ticked, bool highlight) {
  // Only rows 0 to 998 are read back, so a longer list would lose its tail.
  if (count() >= keys::kLockRowsRead) {
    host_.showNotice("The list holds at most 999 task names. Remove one before adding another.");
    return false;
  }
  entries_.push_back({task, ticked});
  c_.lstProgram.addItem(std::move(task), ticked);
  if (highlight) c_.lstProgram.setListIndex(count() - 1);
  changed();
  return true;
}

void LockList::removeAt(int index) {
  if (index < 0 || index >= count()) return;
  entries_.erase(entries_.begin() + index);
  c_.lstProgram.removeItem(index);
}

void LockList::remove(int index) {
  removeAt(index);
  changed();
}

void LockList::cmdDel_Click() {
  if (c_.lstProgram.listIndex() >= 0) removeAt(c_.lstProgram.listIndex());
  c_.window.setDefaultButton(c_.cmdDel);
  changed();
}

void LockList::lstProgram_KeyDown(int key) {
  if (key != kDeleteKey || c_.lstProgram.listIndex() < 0) return;
  removeAt(c_.lstProgram.listIndex());
  changed();
}

void LockList::lstProgram_ItemCheck(int index) {
  if (index < 0 || index >= count() || index >= c_.lstProgram.count()) return;
  entries_[static_cast<std::size_t>(index)].ticked = c_.lstProgram.checked(index);
  changed();
}

void LockList::txtTask_Click() { c_.window.setDefaultButton(c_.cmdAdd); }

void LockList::cmdHelper0_Click() {
  host_.showNotice("A task name appears at the top of a program window, e.g. Microsoft Word.");
}

void LockList::cmdSelect_Click() { host_.showTaskPicker(); }

void LockList::cmdlockprogram_Click() {
  if (host_.askConfigPassword()) return;
  c_.SSTab1.setTab(c_.accessPage);
  c_.window.setFocus(c_.txtTask);
  c_.window.setDefaultButton(c_.cmdAdd);
}

bool LockList::hasProgramEntries() const {
  return std::any_of(entries_.begin(), entries_.end(),
                     [](const LockEntry& entry) { return entry.ticked && isProgramEntry(entry.task); });
}

bool LockList::locksProgram(const platform::ProgramFile& file) const {
  return std::any_of(entries_.begin(), entries_.end(), [&](const LockEntry& entry) {
    return entry.ticked && isProgramEntry(entry.task) && namesProgram(entry.task, file);
  });
}

int LockList::lockedCount() const {
  return static_cast<int>(std::count_if(entries_.begin(), entries_.end(), [](const auto& e) { return e.ticked; }));
}

void LockList::clear() {
  entries_.clear();
  loaded_.clear();
  c_.lstProgram.clear();
}

void LockList::load(RegistryAccess& registry, platform::Root root) { load(loadLockRows(registry, root)); }

void LockList::load(std::vector<LockEntry> rows) {
  entries_.insert(entries_.end(), std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
  loaded_ = entries_;
  showAll();
}

void LockList::save(RegistryAccess& registry, platform::Root root) const {
  if (managed_) return;
  deleteLockRows(registry, platform::Root::Machine, 0);
  if (root == platform::Root::User) deleteLockRows(registry, root, count());
  saveLockRows(registry, root, entries_);
}

void LockList::showManaged(const std::optional<std::vector<std::string>>& tasks) {
  if (tasks) {
    entries_.clear();
    for (const std::string& task : *tasks) entries_.push_back({task, true});
    showAll();
  }
  if (tasks.has_value() == managed_) return;
  managed_ = tasks.has_value();
  for (forms::Control* control : std::initializer_list<forms::Control*>{&c_.lstProgram, &c_.txtTask, &c_.cmdAdd, &c_.cmdDel})
    control->setEnabled(!managed_);
  c_.lstProgram.setToolTip(managed_ ? "Set by your administrator" : "");
}

void LockList::suggestWhenEmpty() {
  if (managed_ || count() != 0) return;
  for (const char* suggestion : kSuggestions) entries_.push_back({suggestion, false});
  showAll();
}

}  // namespace tessara
