#pragma once
// "Lock Computer": a blank screen until the master password is given.

namespace tessara {

class App;

class ComputerLock {
 public:
  explicit ComputerLock(App& app);

  void mLockWorkstation_Click();

  // The blank screen is up.
  bool holds() const;
  // The prompt stands above the blank screen, shown, restored and active;
  // true when it had to be put back (another program took the front, hid or
  // minimised it, or the user clicked the blank screen).
  bool keepInPlace();

 private:
  App& app_;
};

}  // namespace tessara
