#pragma once
// Apply: saves everything the window holds that is not saved at the click,
// then reloads the settings so that window, store and watchers agree.
#include "forms/controls.h"
#include "platform/registry.h"

#include <string>

namespace tessara {

class App;
class ForegroundWatcher;
class IgnoreList;
class LockList;
class RestrictionSwitches;
class SettingsLoader;

class Apply {
 public:
  struct Parts {
    const LockList& lockList;
    IgnoreList& ignoreList;
    const RestrictionSwitches& switches;
    SettingsLoader& loader;
    ForegroundWatcher& foregroundWatcher;  // takes the whole-program locks
    const forms::OptionButton& OptThisUser;
    forms::Button& cmdCancel;
  };
  Apply(App& app, Parts parts);

  void cmdok_Click();

 private:
  std::string changesToApply();

  App& app_;
  Parts p_;
};

}  // namespace tessara
