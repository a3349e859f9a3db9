// The switches that write at the click: the "System Protection" boxes and the
// wallpaper item, the loader's re-writes when it changes a box, and one
// policy broadcast per command. A recording registry in front of the
// simulated one shows every write in order.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/sim/fold.h"
#include "platform/sim/sim_platform.h"
#include "platform/sim/sim_tray.h"
#include "tessara7/shell/app.h"
#include "tessara7/shell/frm_config.h"
#include "tessara7/shell/subsystems.h"

namespace tessara::testing {
namespace {

using platform::Root;

constexpr const char* kSettings = "Software\\TSR\\Settings";
constexpr const char* kExplorer = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
constexpr const char* kStorage = "SYSTEM\\CurrentControlSet\\Control\\StorageDevicePolicies";
constexpr const char* kActiveDesktop = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\ActiveDesktop";

// One value write as the program asked for it: "dword:N" or the text.
struct Write {
  Root root;
  std::string key;
  std::string name;
  std::string data;
};

class RecordingRegistry final : public platform::Registry {
 public:
  explicit RecordingRegistry(platform::Registry& inner) : inner_(inner) {}

  bool keyExists(Root root, std::string_view key) override { return inner_.keyExists(root, key); }
  std::optional<platform::Value> read(Root root, std::string_view key, std::string_view name) override {
    return inner_.read(root, key, name);
  }
  bool writeString(Root root, std::string_view key, std::string_view name, std::string_view text) override {
    writes.push_back({root, std::string(key), std::string(name), std::string(text)});
    return inner_.writeString(root, key, name, text);
  }
  bool writeDword(Root root, std::string_view key, std::string_view name, std::uint32_t value) override {
    writes.push_back({root, std::string(key), std::string(name), "dword:" + std::to_string(value)});
    return inner_.writeDword(root, key, name, value);
  }
  bool createKey(Root root, std::string_view key) override { return inner_.createKey(root, key); }
  bool deleteKey(Root root, std::string_view key) override { return inner_.deleteKey(root, key); }
  bool deleteValue(Root root, std::string_view key, std::string_view name) override {
    return inner_.deleteValue(root, key, name);
  }
  std::vector<std::string> subKeys(Root root, std::string_view key) override { return inner_.subKeys(root, key); }
  std::vector<std::string> valueNames(Root root, std::string_view key) override {
    return inner_.valueNames(root, key);
  }

  std::vector<Write> writes;

 private:
  platform::Registry& inner_;
};

class ProtectionsTest : public ::testing::Test {
 protected:
  App& app() {
    if (!app_) app_ = std::make_unique<App>(AppHost{os, tray, nullptr, [this] { sim.clock.advance(10); }, [] {}});
    return *app_;
  }
  App& start() {
    app().start();
    return *app_;
  }
  FrmConfig& config() { return app().frmConfig(); }
  Subsystems& subsystems() { return app().subsystems(); }

  void selectThisUser() {
    app().passwordRequests().session().ConfigUnlocked = true;
    config().OptThisUser.click();
    ASSERT_EQ(app().state().SettingsRoot, Root::User);
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

  // The writes since the last call, as "root\key name=data" lines with the
  // key given by its last part.
  std::vector<std::string> takeWrites() {
    std::vector<std::string> lines;
    for (const auto& w : recorder.writes) {
      const std::string key = platform::sim::fold(w.key.substr(w.key.rfind('\\') + 1));
      lines.push_back(std::string(w.root == Root::Machine ? "HKLM" : "HKCU") + "\\" + key + " " + w.name + "=" +
                      w.data);
    }
    recorder.writes.clear();
    return lines;
  }
  int broadcastsDuring(const std::function<void()>& command) {
    const int before = sim.desktop.policyBroadcasts();
    command();
    return sim.desktop.policyBroadcasts() - before;
  }

  platform::sim::SimPlatform sim;
  platform::sim::SimTray tray;
  RecordingRegistry recorder{sim.registry};
  platform::Platform os{recorder, sim.desktop, sim.shell, sim.files, sim.clock, sim.guard};

 private:
  std::unique_ptr<App> app_;
};

using Lines = std::vector<std::string>;

const Lines kTaskbarTicked{
    "HKLM\\explorer NoSetTaskbar=dword:1",       "HKLM\\explorer LockTaskbar=dword:1",
    "HKLM\\explorer NoToolbarCustomize=dword:1", "HKLM\\explorer NoBandCustomize=dword:1",
    "HKLM\\explorer NoChangeStartMenu=dword:1",  "HKLM\\explorer NoDesktopCleanupWizard=dword:1",
    "HKLM\\explorer EnableBalloonTips=dword:0",  "HKLM\\explorer NoActiveDesktop=dword:1",
    "HKLM\\settings chkLockStart=1",
};

const Lines kTaskbarCleared{
    "HKLM\\explorer NoSetTaskbar=dword:0",       "HKLM\\explorer LockTaskbar=dword:0",
    "HKLM\\explorer NoToolbarCustomize=dword:0", "HKLM\\explorer NoBandCustomize=dword:0",
    "HKLM\\explorer NoChangeStartMenu=dword:0",  "HKLM\\explorer NoDesktopCleanupWizard=dword:0",
    "HKLM\\explorer NoTrayContextMenu=dword:0",  "HKLM\\explorer EnableBalloonTips=dword:1",
    "HKLM\\explorer NoActiveDesktop=dword:0",    "HKLM\\settings chkLockStart=0",
};

// --- Drive boxes ----------------------------------------------------------------

TEST_F(ProtectionsTest, DriveMaskIsWrittenOnlyByCAndOnlyOnceNoViewOnDriveIsTicked) {
  sim.registry.writeDword(Root::Machine, kExplorer, "NoViewOnDrive", 12);  // C: and D: by another tool
  start();
  takeWrites();
  EXPECT_FALSE(config().chkC.enabled());
  config().chkC.click();
  EXPECT_EQ(config().chkC.value(), 0) << "greyed until No View On Drive is ticked";

  config().chkNoViewOnDrive.click();
  EXPECT_TRUE(config().chkC.enabled());
  EXPECT_EQ(takeWrites(), Lines{}) << "ticking No View On Drive alone hides nothing";
  EXPECT_EQ(getDword(Root::Machine, kExplorer, "NoViewOnDrive"), 12u);

  config().chkC.click();
  EXPECT_EQ(takeWrites(), (Lines{"HKLM\\explorer NoViewOnDrive=dword:4", "HKLM\\settings NoDrives=1"}));
  EXPECT_EQ(getDword(Root::Machine, kExplorer, "NoViewOnDrive"), 4u) << "replaced, not combined";

  config().chkNoViewOnDrive.click();
  EXPECT_EQ(getDword(Root::Machine, kExplorer, "NoViewOnDrive"), 0u);
  EXPECT_EQ(getString(Root::Machine, kSettings, "NoDrives"), "0");
  EXPECT_EQ(config().chkC.value(), 0);
  EXPECT_FALSE(config().chkC.enabled());
}

TEST_F(ProtectionsTest, ClearingNoViewOnDriveWhileCIsClearWritesTheMaskOnceAndNoFlag) {
  start();
  config().chkNoViewOnDrive.click();
  takeWrites();
  config().chkNoViewOnDrive.click();
  EXPECT_EQ(takeWrites(), Lines{"HKLM\\explorer NoViewOnDrive=dword:0"});
  EXPECT_EQ(getString(Root::Machine, kSettings, "NoDrives"), "<absent>");
  EXPECT_FALSE(config().chkC.enabled());
}

TEST_F(ProtectionsTest, UsbWriteProtectionIsADwordReadBackAtTheNextLoad) {
  start();
  config().chklockusb.click();
  EXPECT_EQ(takeWrites(), Lines{"HKLM\\storagedevicepolicies WriteProtect=dword:1"});
  EXPECT_EQ(getDword(Root::Machine, kStorage, "WriteProtect"), 1u);
  subsystems().loader.GetConfig();
  EXPECT_EQ(config().chklockusb.value(), 1);
  config().chklockusb.click();
  EXPECT_EQ(getDword(Root::Machine, kStorage, "WriteProtect"), 0u);
  subsystems().loader.GetConfig();
  EXPECT_EQ(config().chklockusb.value(), 0);
}

// --- Taskbar set ----------------------------------------------------------------

TEST_F(ProtectionsTest, TaskbarTickWritesEightValuesAndClearWritesNine) {
  sim.registry.writeDword(Root::Machine, kExplorer, "NoTrayContextMenu", 1);
  start();
  takeWrites();
  config().chkLockStart.click();
  EXPECT_EQ(takeWrites(), kTaskbarTicked);
  EXPECT_EQ(getDword(Root::Machine, kExplorer, "NoTrayContextMenu"), 1u) << "left as it was";
  EXPECT_EQ(getDword(Root::Machine, kExplorer, "EnableBalloonTips"), 0u);

  config().chkLockStart.click();
  EXPECT_EQ(takeWrites(), kTaskbarCleared);
  EXPECT_EQ(getDword(Root::Machine, kExplorer, "NoTrayContextMenu"), 0u);
  EXPECT_EQ(getDword(Root::Machine, kExplorer, "EnableBalloonTips"), 1u);
  EXPECT_EQ(getDword(Root::Machine, kExplorer, "LockTaskbar"), 0u);
}

// --- Scope independence ---------------------------------------------------------

TEST_F(ProtectionsTest, SystemProtectionWritesGoMachineWideInTheThisUserScope) {
  start();
  selectThisUser();
  takeWrites();
  config().chkNoViewOnDrive.click();
  config().chkC.click();
  config().chklockusb.click();
  config().chkLockStart.click();
  config().chkNoViewOnDrive.click();
  config().chklockusb.click();
  config().chkLockStart.click();
  const Lines writes = takeWrites();
  EXPECT_EQ(writes.size(), 2u + 1u + kTaskbarTicked.size() + 3u + 1u + kTaskbarCleared.size());
  for (const auto& line : writes) EXPECT_EQ(line.substr(0, 5), "HKLM\\") << line;
  EXPECT_FALSE(sim.registry.keyExists(Root::User, kExplorer));
  EXPECT_FALSE(sim.registry.keyExists(Root::User, kStorage));
}

TEST_F(ProtectionsTest, WallpaperItemWritesItsFlagMachineWideAndThePolicyPerUserInEitherScope) {
  for (bool thisUser : {false, true}) {
    SCOPED_TRACE(thisUser ? "This user" : "All users");
    if (thisUser) {
      selectThisUser();
    } else {
      start();
    }
    takeWrites();
    config().chkWallpaper.click();
    EXPECT_TRUE(config().chkWallpaper.checked());
    EXPECT_EQ(takeWrites(),
              (Lines{"HKLM\\settings disablewallpaper=1", "HKCU\\activedesktop NoChangingWallPaper=dword:1"}));
    config().chkWallpaper.click();
    EXPECT_FALSE(config().chkWallpaper.checked());
    EXPECT_EQ(takeWrites(),
              (Lines{"HKLM\\settings disablewallpaper=0", "HKCU\\activedesktop NoChangingWallPaper=dword:0"}));
  }
  EXPECT_FALSE(sim.registry.keyExists(Root::Machine, kActiveDesktop));
}

TEST_F(ProtectionsTest, ApplyLeavesTheClickWrittenValuesAlone) {
  start();
  config().chkWallpaper.click();
  config().chkLockStart.click();
  sim.registry.writeDword(Root::User, kActiveDesktop, "NoChangingWallPaper", 7);
  sim.registry.writeDword(Root::Machine, kExplorer, "LockTaskbar", 7);
  takeWrites();
  config().cmdok.click();
  for (const auto& line : takeWrites()) {
    EXPECT_EQ(line.find("NoChangingWallPaper"), std::string::npos) << line;
    EXPECT_EQ(line.find("disablewallpaper"), std::string::npos) << line;
    EXPECT_EQ(line.find("Taskbar"), std::string::npos) << line;
  }
  EXPECT_EQ(getDword(Root::User, kActiveDesktop, "NoChangingWallPaper"), 7u);
  EXPECT_EQ(getDword(Root::Machine, kExplorer, "LockTaskbar"), 7u);
  EXPECT_TRUE(config().chkWallpaper.checked()) << "reloaded from the machine-wide flag";
  EXPECT_EQ(config().chkLockStart.value(), 1);
}

TEST_F(ProtectionsTest, RefusedMachineRootLosesTheBoxWritesButNotThePerUserWallpaperPolicy) {
  start();
  sim.registry.setWritable(Root::Machine, false);
  config().chklockusb.click();
  EXPECT_EQ(config().chklockusb.value(), 1) << "the box shows the new state";
  EXPECT_EQ(getDword(Root::Machine, kStorage, "WriteProtect"), std::nullopt);
  config().chkWallpaper.click();
  EXPECT_EQ(getDword(Root::User, kActiveDesktop, "NoChangingWallPaper"), 1u);
  EXPECT_EQ(getString(Root::Machine, kSettings, "disablewallpaper"), "<absent>");
  subsystems().loader.GetConfig();
  EXPECT_EQ(config().chklockusb.value(), 0) << "the next load shows what the registry holds";
  EXPECT_FALSE(config().chkWallpaper.checked());
}

// --- The loader's re-writes -----------------------------------------------------

TEST_F(ProtectionsTest, StartWithStoredProtectionsWritesTheirValuesAgain) {
  sim.registry.writeString(Root::Machine, kSettings, "chkLockStart", "1");
  sim.registry.writeString(Root::Machine, kSettings, "NoDrives", "1");
  sim.registry.writeDword(Root::Machine, kStorage, "WriteProtect", 1);
  sim.registry.writeDword(Root::Machine, kExplorer, "LockTaskbar", 0);  // reset by someone
  sim.registry.writeDword(Root::Machine, kExplorer, "NoTrayContextMenu", 1);
  const int broadcasts = broadcastsDuring([this] { start(); });

  const Lines writes = takeWrites();
  for (const auto& expected : kTaskbarTicked)
    EXPECT_EQ(std::count(writes.begin(), writes.end(), expected), 1) << expected;
  EXPECT_EQ(std::count(writes.begin(), writes.end(), "HKLM\\explorer NoViewOnDrive=dword:4"), 1);
  EXPECT_EQ(std::count(writes.begin(), writes.end(), "HKLM\\settings NoDrives=1"), 1);
  EXPECT_EQ(std::count(writes.begin(), writes.end(), "HKLM\\storagedevicepolicies WriteProtect=dword:1"), 1);
  EXPECT_EQ(getDword(Root::Machine, kExplorer, "LockTaskbar"), 1u);
  EXPECT_EQ(getDword(Root::Machine, kExplorer, "NoTrayContextMenu"), 1u);
  EXPECT_EQ(config().chkLockStart.value(), 1);
  EXPECT_EQ(config().chkNoViewOnDrive.value(), 1);
  EXPECT_EQ(config().chkC.value(), 1);
  EXPECT_TRUE(config().chkC.enabled());
  EXPECT_EQ(config().chklockusb.value(), 1);
  EXPECT_EQ(broadcasts, 1) << "the whole load is one command";

  // A reload that changes no box writes none of them again.
  EXPECT_EQ(broadcastsDuring([this] { subsystems().loader.GetConfig(); }), 0);
  EXPECT_EQ(takeWrites(), Lines{});
}

TEST_F(ProtectionsTest, StoredNoDrivesClearedElsewhereClearsTheBoxesAtTheNextLoad) {
  start();
  config().chkNoViewOnDrive.click();
  config().chkC.click();
  sim.registry.writeString(Root::Machine, kSettings, "NoDrives", "0");
  takeWrites();
  subsystems().loader.GetConfig();
  EXPECT_EQ(config().chkNoViewOnDrive.value(), 0);
  EXPECT_EQ(config().chkC.value(), 0);
  EXPECT_FALSE(config().chkC.enabled());
  EXPECT_EQ(getDword(Root::Machine, kExplorer, "NoViewOnDrive"), 0u);
}

// --- Broadcasts -----------------------------------------------------------------

TEST_F(ProtectionsTest, EachImmediateSwitchIsOnePolicyBroadcast) {
  start();
  EXPECT_EQ(broadcastsDuring([this] { config().chklockusb.click(); }), 1);
  EXPECT_EQ(broadcastsDuring([this] { config().chkLockStart.click(); }), 1);
  EXPECT_EQ(broadcastsDuring([this] { config().chkLockStart.click(); }), 1);
  EXPECT_EQ(broadcastsDuring([this] { config().chkWallpaper.click(); }), 1);
  config().chkNoViewOnDrive.click();
  EXPECT_EQ(broadcastsDuring([this] { config().chkC.click(); }), 1);
  // Clearing the drive box also clears C:, whose own writes belong to the same command.
  EXPECT_EQ(broadcastsDuring([this] { config().chkNoViewOnDrive.click(); }), 1);
  EXPECT_EQ(broadcastsDuring([this] { config().cmdok.click(); }), 1);
}

}  // namespace
}  // namespace tessara::testing
