#include "tessara7/locking/lock_list.h"

#include <algorithm>
#include <array>
#include <vector>

#include "tessara7/common/text.h"
#include "tessara7/settings/registry_access.h"
#include "tessara7/settings/store_keys.h"
#include "tessara7/locking/frm_lock.h"
#include "tessara7/locking/program_entries.h"
#include "tessara7/shell/app.h"

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

LockList::LockList(App& app, Controls controls) : app_(app), c_(controls) {}

void LockList::changed() {
  if (onChanged) onChanged();
}

void LockList::cmdAdd_Click() {
  std::string task = c_.txtTask.text();
  if (codePointCount(task) < 3) {  // characters, not bytes
    app_.showNotice(
        "Please type a Task Name that's more than 2 characters. Or, click Browse to select from "
        "running tasks.");
    return;
  }
  if (!append(std::move(task), false, true)) return;
  c_.txtTask.setText("");
}

bool LockList::append(std::string task, bool ticked, bool highlight) {
  // Only rows 0 to 998 are read back, so a longer list would lose its tail.
  if (c_.lstProgram.count() >= keys::kLockRowsRead) {
    app_.showNotice("The list holds at most 999 task names. Remove one before adding another.");
    return false;
  }
  c_.lstProgram.addItem(std::move(task), ticked);
  if (highlight) c_.lstProgram.setListIndex(c_.lstProgram.count() - 1);
  changed();
  return true;
}

void LockList::cmdDel_Click() {
  if (c_.lstProgram.listIndex() >= 0) c_.lstProgram.removeItem(c_.lstProgram.listIndex());
  c_.window.setDefaultButton(c_.cmdDel);
  changed();
}

void LockList::lstProgram_KeyDown(int key) {
  if (key != kDeleteKey || c_.lstProgram.listIndex() < 0) return;
  c_.lstProgram.removeItem(c_.lstProgram.listIndex());
  changed();
}

void LockList::txtTask_Click() { c_.window.setDefaultButton(c_.cmdAdd); }

void LockList::cmdHelper0_Click() {
  app_.showNotice("A task name appears at the top of a program window, e.g. Microsoft Word.");
}

void LockList::cmdSelect_Click() { app_.frmLock().show(); }

void LockList::cmdlockprogram_Click() {
  if (app_.askConfigPassword()) return;
  c_.SSTab1.setTab(c_.accessPage);
  c_.window.setFocus(c_.txtTask);
  c_.window.setDefaultButton(c_.cmdAdd);
}

bool LockList::locks(const std::string& title) const {
  const auto& entries = c_.lstProgram.entries();
  return std::any_of(entries.begin(), entries.end(), [&](const forms::CheckList::Entry& entry) {
    return entry.checked && !entry.text.empty() && title.find(entry.text) != std::string::npos;
  });
}

bool LockList::hasProgramEntries() const {
  const auto& entries = c_.lstProgram.entries();
  return std::any_of(entries.begin(), entries.end(),
                     [](const forms::CheckList::Entry& entry) { return entry.checked && isProgramEntry(entry.text); });
}

bool LockList::locksProgram(const platform::ProgramFile& file) const {
  const auto& entries = c_.lstProgram.entries();
  return std::any_of(entries.begin(), entries.end(), [&](const forms::CheckList::Entry& entry) {
    return entry.checked && isProgramEntry(entry.text) && namesProgram(entry.text, file);
  });
}

int LockList::count() const { return c_.lstProgram.count(); }

int LockList::lockedCount() const {
  const auto& entries = c_.lstProgram.entries();
  return static_cast<int>(std::count_if(entries.begin(), entries.end(), [](const auto& e) { return e.checked; }));
}

void LockList::clear() {
  c_.lstProgram.clear();
  loaded_.clear();
}

bool LockList::changedSinceLoad() const {
  const auto& entries = c_.lstProgram.entries();
  return !std::equal(entries.begin(), entries.end(), loaded_.begin(), loaded_.end(),
                     [](const auto& a, const auto& b) { return a.text == b.text && a.checked == b.checked; });
}

// The rows that may exist, in order. Every key listed or opened costs a call
// to the system (a round trip to the server under Wine): when most of the
// numbers are there, reading each number directly is cheaper than listing
// the keys first; otherwise the listing finds the few that exist.
std::vector<int> LockList::rowsToRead(RegistryAccess& registry, platform::Root root) {
  std::vector<int> rows;
  if (registry.SubKeyCount(root, keys::Root) * 2 > keys::kLockRowsRead) {
    for (int row = 0; row < keys::kLockRowsRead; ++row) rows.push_back(row);
    return rows;
  }
  for (const auto& name : registry.SubKeyNames(root, keys::Root))
    if (const auto row = numberAfter(name, keys::WindowRowName, keys::kLockRowsRead)) rows.push_back(*row);
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  return rows;
}

void LockList::loadRows(RegistryAccess& registry, platform::Root root) {
  const std::vector<int> rows = rowsToRead(registry, root);

  std::vector<forms::CheckList::Entry> entries = c_.lstProgram.entries();
  entries.reserve(entries.size() + rows.size());
  for (const int row : rows) {
    // Both values of the row with the key opened once; a missing row reads as empty.
    auto [text, enabled] =
        registry.GetStringValues(root, keys::WindowRowPrefix + std::to_string(row), "Window", "Enabled");
    if (!text.empty()) entries.push_back({std::move(text), enabled != "0"});
  }
  loaded_ = entries;
  c_.lstProgram.setEntries(std::move(entries));
}

void LockList::showManaged(const std::optional<std::vector<std::string>>& tasks) {
  if (tasks) {
    std::vector<forms::CheckList::Entry> entries;
    for (const std::string& task : *tasks) entries.push_back({task, true});
    c_.lstProgram.setEntries(std::move(entries));
  }
  if (tasks.has_value() == managed_) return;
  managed_ = tasks.has_value();
  for (forms::Control* control : std::initializer_list<forms::Control*>{&c_.lstProgram, &c_.txtTask, &c_.cmdAdd, &c_.cmdDel})
    control->setEnabled(!managed_);
  c_.lstProgram.setToolTip(managed_ ? "Set by your administrator" : "");
}

void LockList::suggestWhenEmpty() {
  if (managed_ || c_.lstProgram.count() != 0) return;
  std::vector<forms::CheckList::Entry> entries;
  for (const char* suggestion : kSuggestions) entries.push_back({suggestion, false});
  c_.lstProgram.setEntries(std::move(entries));
}

}  // namespace tessara
