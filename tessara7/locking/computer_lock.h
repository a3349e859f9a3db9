#pragma once
// "Lock Computer": a blank screen until the master password is given.

namespace tessara {

class App;

class ComputerLock {
 public:
  explicit ComputerLock(App& app);

  void mLockWorkstation_Click();

 private:
  App& app_;
};

}  // namespace tessara
