#pragma once
// The settings loader: fills the configuration window and the program-wide
// values from the store, step by step in a fixed order, each step handing
// its part of the store to the subsystem that owns it. A failing step is
// skipped and the load goes on (load_steps.h).
#include <functional>

#include "forms/form.h"
#include "tessara7/settings/load_steps.h"

namespace tessara {

class AdvancedWatcher;
class App;
class ExplorerMenu;
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
  // Reads the policy keys again (two small keys, not the store) and loads
  // the configuration anew when what they manage changed.
  void reloadWhenManagedChanged();

  // Runs after every load, once the window holds the store.
  std::function<void()> onLoaded;

  const LoadSteps& steps() const { return steps_; }
  LoadSteps& steps() { return steps_; }

 private:
  App& app_;
  Parts p_;
  LoadSteps steps_;
};

}  // namespace tessara
