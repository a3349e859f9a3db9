#pragma once
// The settings loader: fills the configuration window and the program-wide
// values from the store, step by step in a fixed order, each step handing
// its part of the store to the subsystem that owns it. A failing step is
// skipped and the load goes on (load_steps.h).
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "forms/form.h"
#include "platform/registry.h"
#include "tessara7/locking/lock_rows.h"
#include "tessara7/settings/load_steps.h"

namespace tessara {

class AdvancedWatcher;
class App;
class ExplorerMenu;
class ForegroundWatcher;
class IgnoreList;
class LockList;
class MasterPassword;
class Protections;
class RestrictionSwitches;
class TrayMenu;

class SettingsLoader {
 public:
  struct Parts {
    forms::Form& window;
    LockList& lockList;
    IgnoreList& ignoreList;
    ForegroundWatcher& foregroundWatcher;  // takes the whole-program locks
    AdvancedWatcher& advancedWatcher;
    MasterPassword& masterPassword;
    RestrictionSwitches& switches;
    Protections& protections;
    TrayMenu& trayMenu;
    forms::OptionButton& OptAllUsers;
    forms::OptionButton& OptThisUser;
    // The encryption page's fields that the store fills.
    forms::TextBox& txtPath;
    forms::ListBox& File1;
    forms::TextBox& txtEnPwd;
    forms::Button& cmdenpwd;
    ExplorerMenu& explorerMenu;
  };
  SettingsLoader(App& app, Parts parts);

  void GetConfig();
  // Starts reading the store's two long lists (the lock rows and the ignored
  // titles) beside the caller; the next load takes them instead of reading
  // them. The program calls it before it makes its window, which takes about
  // as long as the reading.
  void readAhead();
  // Reads the policy keys again (two small keys, not the store) and loads
  // the configuration anew when what they manage changed.
  void reloadWhenManagedChanged();

  // Runs after every load, once the window holds the store.
  std::function<void()> onLoaded;

  const LoadSteps& steps() const { return steps_; }
  LoadSteps& steps() { return steps_; }

 private:
  struct ReadAhead {
    platform::Root root = platform::Root::Machine;  // whose lock rows were read
    std::vector<LockEntry> rows;
    std::vector<std::string> ignored;
    bool complete = false;  // false: the reads failed, and the load reads the store
    std::unique_ptr<platform::Registry::Ahead> reads;
  };

  App& app_;
  Parts p_;
  LoadSteps steps_;
  // Destroyed first, so that reads still running end before what they use.
  std::unique_ptr<ReadAhead> ahead_;
};

}  // namespace tessara
