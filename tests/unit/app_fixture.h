#pragma once
// A main program on the simulated platform: no windows, virtual time.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/sim/sim_platform.h"
#include "platform/sim/sim_tray.h"
#include "platform/sim/sim_window_events.h"
#include "tessara7/locking/frm_password.h"
#include "tessara7/locking/master_password.h"
#include "tessara7/shell/app.h"
#include "tessara7/shell/frm_config.h"
#include "tessara7/shell/frm_error.h"
#include "tessara7/shell/outside_events.h"
#include "tessara7/shell/subsystems.h"

namespace tessara::testing {

using platform::Root;

class AppTest : public ::testing::Test {
 protected:
  // The loader skips a step that fails and goes on; in a test that is always
  // a fault of the program, so every test ends by checking that none was skipped.
  void TearDown() override {
    if (app_) {
      EXPECT_EQ(app_->subsystems().loader.steps().skipped(), std::vector<std::string>{});
    }
  }

  // Builds the program without starting it, so a test can prepare the store.
  App& app() {
    if (!app_) {
      AppHost host{sim.get(), tray, nullptr, [this] { onDoEvents(); }, [this] { ++quitCount; }};
      host.encryption.iterations = 1000;  // the real count costs a third of a second per run
      app_ = std::make_unique<App>(std::move(host));
      // Cheap hashes, so that tests may set and check passwords freely; the
      // stored text carries its count, so every check still reads it.
      app_->masterPassword().hashIterations = 1000;
      // As the program does: its window hears the outside before the load.
      outside_ = std::make_unique<OutsideEvents>(*app_);
      windowEvents.listen(*outside_);
    }
    return *app_;
  }
  App& start() {
    // As the program does: the store's long lists are read ahead of the load.
    app().subsystems().loader.readAhead();
    app().start();
    if (!app_->ended()) windowEvents.watchOtherWindows();
    return *app_;
  }
  // The process ends, however it ends, and a new copy starts on the same machine.
  App& restart() {
    app_.reset();
    outside_.reset();
    windowEvents = {};
    sim.shell.releaseSingleInstance();
    return start();
  }
  FrmConfig& config() { return app().frmConfig(); }
  Subsystems& subsystems() { return app().subsystems(); }
  AppState& state() { return app().state(); }
  // What the next prompt guards, and what outlasts each request (the kept
  // password, the configuration's lock, an open dialog).
  PasswordRequests::Pending& pending() { return app().passwordRequests().pending(); }
  PasswordRequests::Session& session() { return app().passwordRequests().session(); }

  void setString(Root root, const std::string& key, const std::string& name, const std::string& text) {
    sim.registry.writeString(root, key, name, text);
  }
  void setDword(Root root, const std::string& key, const std::string& name, std::uint32_t value) {
    sim.registry.writeDword(root, key, name, value);
  }
  std::string getString(Root root, const std::string& key, const std::string& name) {
    auto value = sim.registry.read(root, key, name);
    return value && value->type == platform::ValueType::String ? value->text : "<absent>";
  }
  std::optional<std::uint32_t> getDword(Root root, const std::string& key, const std::string& name) {
    auto value = sim.registry.read(root, key, name);
    if (!value || value->type != platform::ValueType::Dword) return std::nullopt;
    return value->dword;
  }

  // The whole-program locks, which the foreground watcher holds.
  WholeProgramLocks& wholeProgramLocks() { return subsystems().foregroundWatcher.wholeProgramLocks(); }

  // The owner gave this user settings of their own: the user's choice and
  // the owner's record of it for this user's SID.
  void chooseThisUser() {
    setString(Root::User, "Software\\TSR\\Settings", "CurrentUser", "Enabled");
    setString(Root::Machine, "Software\\TSR\\Users", sim.shell.userSid(), "Enabled");
  }

  // Unlocks the configuration as the right password at the prompt would.
  void unlock() { session().ConfigUnlocked = true; }

  // The prompt as the user sees it, or nullptr when none is open.
  FrmPassword* prompt() {
    FrmPassword* open = app().openPassword();
    return open && open->visible() ? open : nullptr;
  }
  void typePassword(const std::string& text) {
    ASSERT_NE(prompt(), nullptr);
    prompt()->txtPass.userSetText(text);
    prompt()->cmdok.click();
    app().collect();
  }
  std::string noticeText() {
    FrmError* notice = app().openNotice();
    return notice && notice->visible() ? state().NoticeText : "<no notice>";
  }

  // What "let pending events run" does in a test.
  std::function<void()> doEventsScript;
  int doEventsCount = 0;
  int quitCount = 0;

  platform::sim::SimPlatform sim;
  platform::sim::SimTray tray;
  platform::sim::SimWindowEvents windowEvents;

 private:
  void onDoEvents() {
    ++doEventsCount;
    if (doEventsScript) doEventsScript();
    sim.clock.advance(10);
  }
  std::unique_ptr<OutsideEvents> outside_;
  std::unique_ptr<App> app_;
};

}  // namespace tessara::testing
