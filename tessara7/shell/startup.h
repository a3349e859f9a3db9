#pragma once
// Start-up and the configuration window's life: loading, activation, the
// scope options, closing (which starts a new copy) and the status text of
// the welcome page.
#include <functional>
#include <vector>

#include "forms/form.h"
#include "platform/desktop.h"

namespace tessara {

class App;
class LockList;
class SettingsLoader;

class Startup {
 public:
  struct Parts {
    forms::Form& window;
    SettingsLoader& loader;
    const LockList& lockList;
    forms::TabControl& SSTab1;
    int welcomePage;
    std::vector<int> hiddenPages;  // never offered: switched off at every activation
    forms::OptionButton& OptAllUsers;
    forms::OptionButton& OptThisUser;
    forms::CheckBox& chkSub;
    forms::Label& lblsfile;
    forms::Label& lblStatus;
    // Menu items that start enabled at every load.
    std::vector<forms::MenuItem*> enabledAtLoad;
  };
  Startup(App& app, Parts parts);

  void Form_Load();
  void Form_Activate();
  void Form_QueryUnload(forms::CloseReason reason);
  void Form_Terminate();
  void OptAllUsers_Click();
  void OptThisUser_Click();
  void mExit_Click();
  void cmdCancel_Click();
  void mAbout_Click();

  // The welcome page's summary: locked entries and the scope.
  void updateStatus();

  // Result of the single-instance test.
  platform::WindowHandle ExistingWindow = 0;
  // The encryption's part of Cancel, run before the window hides.
  std::function<void()> onCancelling;

 private:
  void scopeOption_Click(bool thisUser);

  App& app_;
  Parts p_;
};

}  // namespace tessara
