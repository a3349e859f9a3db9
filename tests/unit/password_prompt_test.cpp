// The password prompt and what each pending action does with the right, a
// wrong, or no password; and, in the whole program, the commands it guards:
// the lock page's, the master password's, the uninstall, and the history.
#include "platform/sim/sim_files.h"
#include "tests/unit/app_fixture.h"
#include "tessara7/history/frm_history.h"
#include "tessara7/locking/frm_blank.h"
#include "tessara7/locking/master_password.h"
#include "tessara7/locking/password_hash.h"
#include "tessara7/locking/password_requests.h"
#include "tessara7/settings/store_keys.h"

namespace tessara::testing {
namespace {

class PasswordPromptTest : public AppTest {
 protected:
  void SetUp() override { start(); }

  // Raises the prompt as a caller does, with what the caller's right
  // password does.
  void ask(Action action, const std::string& title, platform::WindowHandle window = 0) {
    raise(requestOf(action, title, window), title, window);
  }
  void askForExplorer(encryption::ExplorerRequest click, const std::string& title) {
    raise(subsystems().explorerMenu.passwordRequest(std::move(click)), title, 0);
  }
  PasswordRequest requestOf(Action action, const std::string& title, platform::WindowHandle window) {
    auto& c = subsystems();
    switch (action) {
      case Action::Configuration: return app().passwordRequests().configurationRequest(title);
      case Action::ListedWindow: return c.foregroundWatcher.listedWindowRequest(window, title, pending().PendingItem, {});
      case Action::InternetExplorer:
      case Action::WindowsExplorer: return c.foregroundWatcher.wholeProgramRequest(window, action, title);
      case Action::AdvancedLock: return c.advancedWatcher.advancedLockRequest(window);
      case Action::Installation: return c.advancedWatcher.installationRequest();
      case Action::Uninstall: return c.uninstall.request();
      default: ADD_FAILURE() << "no caller asks for " << action; return {};
    }
  }
  void raise(PasswordRequest request, const std::string& title, platform::WindowHandle window) {
    app().passwordRequests().leavePending(std::move(request));
    pending().PendingTitle = title;
    pending().PendingWindow = window;
    app().passwordRequests().ShowPWD();
  }
  platform::WindowHandle lockedNotepad() {
    auto w = sim.desktop.createWindow("Untitled - Notepad", "Notepad");
    sim.desktop.showWindowAsync(w, platform::SwMinimize);
    sim.desktop.showWindowAsync(w, platform::SwHide);
    pending().PendingItem = "Notepad";
    return w;
  }
};

TEST_F(PasswordPromptTest, ShowsTheTitleTopmostWithItsCaptionsAndDefaultHint) {
  ask(Action::Configuration, "Configuration");
  ASSERT_NE(prompt(), nullptr);
  EXPECT_EQ(prompt()->caption(), "Restrictions");
  EXPECT_EQ(prompt()->lblProgram.caption(), "Configuration");
  EXPECT_TRUE(prompt()->topmost());
  EXPECT_EQ(prompt()->focus(), &prompt()->txtPass);
  EXPECT_EQ(prompt()->defaultButton(), &prompt()->cmdok);
  EXPECT_EQ(prompt()->txtPass.passwordChar(), '*');
  EXPECT_EQ(prompt()->Label1.caption(), "Access is Denied.");
  EXPECT_EQ(prompt()->lblInfo.caption(), "A password is required.");
  EXPECT_EQ(prompt()->lblver.caption(), "v7.1.3");
  EXPECT_NE(prompt()->lblDefaultPass.caption().find("OPENBOX"), std::string::npos);
}

TEST_F(PasswordPromptTest, PasswordTimerChangesTheCaptionAndOnlyStopsItself) {
  config().chkPasswordTimer.click();
  ASSERT_TRUE(config().chkPasswordTimer.checked());
  ask(Action::Configuration, "Configuration");
  EXPECT_EQ(prompt()->caption(), "Restrictions - [30 Seconds Remaining]");
  EXPECT_TRUE(config().tmrPassword.running());
  sim.clock.advance(30000);
  EXPECT_FALSE(config().tmrPassword.running());
  ASSERT_NE(prompt(), nullptr) << "still open and usable";
  typePassword("openbox");
  EXPECT_TRUE(session().ConfigUnlocked);
}

TEST_F(PasswordPromptTest, ConfigurationOpensForTheRightPasswordInAnyCase) {
  ask(Action::Configuration, "Configuration");
  typePassword("OpenBox");
  EXPECT_TRUE(session().ConfigUnlocked);
  EXPECT_TRUE(config().visible());
  EXPECT_EQ(prompt(), nullptr);
  EXPECT_EQ(pending().PendingAction, Action::None);
}

TEST_F(PasswordPromptTest, AppReleaseRestoresTheWindowAndReleasesItsClass) {
  auto w = lockedNotepad();
  ask(Action::ListedWindow, "Untitled - Notepad", w);
  typePassword("openbox");
  EXPECT_FALSE(sim.desktop.isHidden(w));
  EXPECT_FALSE(sim.desktop.isMinimised(w));
  EXPECT_EQ(config().lstAllow.items(), std::vector<std::string>{"Notepad"});
  EXPECT_EQ(config().lstUnlockedWin.items(), std::vector<std::string>{"Untitled - Notepad"});
  EXPECT_EQ(prompt(), nullptr);
}

TEST_F(PasswordPromptTest, IgnoreInFutureStoresTheTitleAtOnceAndSaysSo) {
  setString(Root::Machine, keys::Ignore, "Program5", "Old entry");
  subsystems().loader.GetConfig();
  auto w = lockedNotepad();
  ask(Action::ListedWindow, "Untitled - Notepad", w);
  prompt()->chkIgnore.click();
  typePassword("openbox");
  EXPECT_EQ(config().lstignore.items(), (std::vector<std::string>{"Old entry", "Untitled - Notepad"}));
  EXPECT_EQ(getString(Root::Machine, keys::Ignore, "Program0"), "Old entry");
  EXPECT_EQ(getString(Root::Machine, keys::Ignore, "Program1"), "Untitled - Notepad");
  EXPECT_EQ(getString(Root::Machine, keys::Ignore, "Program5"), "<absent>");
  EXPECT_EQ(noticeText(),
            "Untitled - Notepad will be ignored in future. See 'Ignore List' under Help topics for more details.");
}

TEST_F(PasswordPromptTest, WholeProgramLocksAreLiftedAndTheWindowRestored) {
  wholeProgramLocks().LockInternetExplorer = wholeProgramLocks().LockWindowsExplorer = true;
  auto ie = sim.desktop.createWindow("Home", "IEFrame");
  sim.desktop.showWindowAsync(ie, platform::SwMinimize);
  ask(Action::InternetExplorer, "Internet Explorer", ie);
  typePassword("openbox");
  EXPECT_FALSE(wholeProgramLocks().LockInternetExplorer);
  EXPECT_TRUE(wholeProgramLocks().LockWindowsExplorer);
  EXPECT_FALSE(sim.desktop.isMinimised(ie));
  ask(Action::WindowsExplorer, "Windows Explorer", ie);
  typePassword("openbox");
  EXPECT_FALSE(wholeProgramLocks().LockWindowsExplorer);
}

TEST_F(PasswordPromptTest, AdvancedReleaseAddsTheHandleInDecimal) {
  auto w = sim.desktop.createWindow("File Download", "Dialog");
  ask(Action::AdvancedLock, "Restrictions", w);
  typePassword("openbox");
  EXPECT_EQ(config().lstAllow.items(), std::vector<std::string>{std::to_string(w)});
}

TEST_F(PasswordPromptTest, InstallationPermitStaysOpenUntilCancelWhichClosesNothing) {
  auto other = sim.desktop.createWindow("Some earlier window", "Other");
  ask(Action::Installation, "Restrictions [installer]", 0);
  typePassword("openbox");
  EXPECT_TRUE(subsystems().advancedWatcher.InstallationsUnlocked());
  ASSERT_NE(prompt(), nullptr);
  EXPECT_EQ(prompt()->lblDefaultPass.caption(), "All Installations are permitted [click Cancel]");
  prompt()->cmdCancelPWD.click();
  EXPECT_EQ(prompt(), nullptr);
  EXPECT_TRUE(sim.desktop.isWindow(other));
  EXPECT_TRUE(sim.desktop.closeRequests().empty());
}

TEST_F(PasswordPromptTest, CancelClosesTheGuardedWindowButPromptsForNoWindowCloseNothing) {
  auto w = lockedNotepad();
  ask(Action::ListedWindow, "Untitled - Notepad", w);
  prompt()->cmdCancelPWD.click();
  EXPECT_EQ(sim.desktop.closeRequests(), std::vector<platform::WindowHandle>{w});
  EXPECT_EQ(prompt(), nullptr);

  auto w2 = lockedNotepad();
  ask(Action::ListedWindow, "Untitled - Notepad", w2);
  config().mconfig.click();  // a later caller takes over the open prompt
  prompt()->cmdCancelPWD.click();
  EXPECT_EQ(sim.desktop.closeRequests().size(), 1u) << "the configuration prompt guards no window";
  EXPECT_TRUE(sim.desktop.isWindow(w2));
}

TEST_F(PasswordPromptTest, EachRequestFollowsTheRuleOfItsAction) {
  auto earlier = sim.desktop.createWindow("Untitled - Notepad", "Notepad");
  app().requestPassword({Action::ListedWindow, "Untitled - Notepad", earlier, "Notepad"});
  EXPECT_EQ(pending().PendingWindow, earlier);
  EXPECT_EQ(pending().PendingItem, "Notepad");
  ASSERT_NE(prompt(), nullptr);

  // An action that guards no window forgets the earlier one, so that its
  // Cancel closes nothing; without a title the prompt keeps its text.
  app().requestPassword({Action::Configuration, std::nullopt, earlier});
  EXPECT_EQ(pending().PendingWindow, 0u);
  EXPECT_EQ(::testing::PrintToString(pending().PendingAction), "\"cfg\"");
  EXPECT_EQ(prompt()->lblProgram.caption(), "Untitled - Notepad");
  prompt()->cmdCancelPWD.click();
  app().collect();
  EXPECT_TRUE(sim.desktop.isWindow(earlier));

  // While one of the program's dialogs is open only the uninstall request
  // raises the prompt; the others are noted all the same.
  session().DialogOpen = true;
  app().requestPassword({Action::Configuration, "Configuration"});
  EXPECT_EQ(prompt(), nullptr);
  EXPECT_EQ(pending().PendingAction, Action::Configuration);
  app().requestPassword({Action::Uninstall, "Uninstall Tessara"});
  ASSERT_NE(prompt(), nullptr);
  EXPECT_EQ(prompt()->lblProgram.caption(), "Uninstall Tessara");
  session().DialogOpen = false;
}

TEST_F(PasswordPromptTest, WrongPasswordsCostAWaitThatOutlastsThePromptAndDoubles) {
  ask(Action::Configuration, "Configuration");
  for (int i = 1; i <= 4; ++i) {
    typePassword("wrong" + std::to_string(i));
    ASSERT_NE(prompt(), nullptr);
    EXPECT_EQ(prompt()->lblPWD.caption(), "Password, wrong:");
    EXPECT_TRUE(prompt()->txtPass.enabled());
  }
  prompt()->txtPass.userSetText("WRONG5");
  prompt()->cmdok.click();
  EXPECT_FALSE(prompt()->txtPass.enabled());
  EXPECT_FALSE(prompt()->cmdok.enabled());
  EXPECT_EQ(prompt()->txtPass.text(), "wrong5") << "the typed text stays, in small letters";
  EXPECT_EQ(prompt()->lblDefaultPass.caption(), "Too many wrong passwords. Try again in 30 seconds.");
  EXPECT_FALSE(session().ConfigUnlocked);
  prompt()->cmdCancelPWD.click();
  app().collect();
  EXPECT_EQ(prompt(), nullptr);

  // A new prompt does not start the count over, and a click that reaches OK
  // anyway (another program's message) is not looked at.
  ask(Action::Configuration, "Configuration");
  EXPECT_FALSE(prompt()->txtPass.enabled());
  prompt()->cmdok.onClick();
  EXPECT_FALSE(session().ConfigUnlocked);
  prompt()->txtPass.userSetText("openbox");
  prompt()->cmdok_Click();
  EXPECT_FALSE(session().ConfigUnlocked) << "the right password during the wait is not looked at either";

  sim.clock.advance(30000);
  EXPECT_TRUE(prompt()->txtPass.enabled());
  typePassword("wrong6");
  EXPECT_EQ(prompt()->lblDefaultPass.caption(), "Too many wrong passwords. Try again in 60 seconds.");
  sim.clock.advance(59000);
  EXPECT_FALSE(prompt()->cmdok.enabled());
  sim.clock.advance(1000);
  typePassword("openbox");
  EXPECT_TRUE(session().ConfigUnlocked);

  // The right password starts the count over.
  session().ConfigUnlocked = false;
  ask(Action::Configuration, "Configuration");
  typePassword("wrong");
  EXPECT_TRUE(prompt()->txtPass.enabled());
}

TEST_F(PasswordPromptTest, TheGuardKeepsTheCountAcrossRestartsAndTheUserCannotWipeIt) {
  sim.guard.installed = true;
  ask(Action::Configuration, "Configuration");
  for (int i = 0; i < 5; ++i) typePassword("wrong");
  EXPECT_EQ(sim.guard.tries.count, 5u);
  EXPECT_EQ(sim.guard.tries.notBefore, sim.clock.wallSeconds() + 30);
  EXPECT_EQ(getString(Root::User, keys::Settings, "PasswordTries"), "<absent>")
      << "with the service, nothing of it lies where the user writes";

  restart();
  ask(Action::Configuration, "Configuration");
  EXPECT_FALSE(prompt()->txtPass.enabled()) << "a restarted program still waits";
  sim.clock.advance(30000);
  typePassword("openbox");
  EXPECT_TRUE(session().ConfigUnlocked);
  EXPECT_EQ(sim.guard.tries, guard_channel::Tries{});
}

TEST_F(PasswordPromptTest, WithoutTheGuardTheCountLastsTheRunEvenWhenItsValueIsDeleted) {
  ask(Action::Configuration, "Configuration");
  for (int i = 0; i < 5; ++i) typePassword("wrong");
  EXPECT_FALSE(prompt()->cmdok.enabled());
  ASSERT_NE(getString(Root::User, keys::Settings, "PasswordTries"), "<absent>");
  sim.registry.deleteValue(Root::User, keys::Settings, "PasswordTries");
  prompt()->cmdCancelPWD.click();
  app().collect();
  ask(Action::Configuration, "Configuration");
  EXPECT_FALSE(prompt()->cmdok.enabled());
}

TEST_F(PasswordPromptTest, UninstallAndExplorerEncryptionCloseOnAWrongPasswordAndCountIt) {
  ask(Action::Uninstall, "Uninstall Tessara");
  typePassword("nope");
  EXPECT_EQ(prompt(), nullptr);
  EXPECT_EQ(config().cmdUninstall.caption(), "Uninstall");

  const encryption::ExplorerRequest click{encryption::Verb::Encrypt, {"C:\\x"}, std::nullopt};
  for (int i = 0; i < 4; ++i) {
    askForExplorer(click, "Master Password Required:");
    typePassword("nope");
    EXPECT_EQ(prompt(), nullptr);
  }
  EXPECT_EQ(subsystems().commandRunner.waiting(), 0u);
  // Five wrong ones through prompts that close: the next prompt waits.
  askForExplorer(click, "Master Password Required:");
  typePassword("openbox");
  EXPECT_EQ(subsystems().commandRunner.waiting(), 0u);
}

TEST_F(PasswordPromptTest, UninstallArmsTheButtonAndTellsTheUserWithTheDialogFlagSet) {
  bool dialogFlagWhileShown = false;
  sim.shell.onMessageBox = [&](const platform::sim::ShownMessage&) { dialogFlagWhileShown = session().DialogOpen; };
  ask(Action::Uninstall, "Uninstall Tessara");
  typePassword("openbox");
  EXPECT_EQ(config().cmdUninstall.caption(), "> Uninstall <");
  ASSERT_EQ(sim.shell.messages().size(), 1u);
  EXPECT_EQ(sim.shell.messages()[0].text,
            "Click Uninstall again to proceed. Or, run 'unins000.exe' from the program directory.");
  EXPECT_TRUE(dialogFlagWhileShown);
  EXPECT_FALSE(session().DialogOpen);
}

TEST_F(PasswordPromptTest, ExplorerCommandsArmTheCommandRunner) {
  using encryption::ExplorerRequest;
  using encryption::Verb;
  const auto& queued = subsystems().commandRunner.queued();
  askForExplorer(ExplorerRequest{Verb::Encrypt, {"C:\\x", "C:\\y"}, std::nullopt}, "Master Password Required:");
  typePassword("OPENBOX");
  ASSERT_EQ(queued.size(), 2u) << "one command per path";
  EXPECT_EQ(queued[0].verb, Verb::Encrypt);
  EXPECT_EQ(queued[0].path, "C:\\x");
  EXPECT_EQ(queued[1].path, "C:\\y");
  EXPECT_EQ(queued[1].password, std::nullopt);

  session().KeptPassword = "openbox";
  askForExplorer(ExplorerRequest{Verb::Decrypt, {"C:\\x"}, std::nullopt},
                 "Enter the original encryption password to decrypt file(s).");
  EXPECT_EQ(prompt()->txtPass.text(), "") << "a kept password is never offered for decryption";
  typePassword("");
  ASSERT_EQ(queued.size(), 3u);
  EXPECT_EQ(queued.back().verb, Verb::Decrypt);
  EXPECT_EQ(queued.back().password, "");
  askForExplorer(ExplorerRequest{Verb::Decrypt, {"C:\\x"}, std::nullopt},
                 "Enter the original encryption password to decrypt file(s).");
  typePassword("MyFilesKey");
  ASSERT_EQ(queued.size(), 4u);
  EXPECT_EQ(queued.back().password, "MyFilesKey") << "an encryption password keeps its capitals";
}

TEST_F(PasswordPromptTest, KeepPasswordFillsTheNextPromptUntilForgotten) {
  ask(Action::Configuration, "Configuration");
  prompt()->chkKeep.click();
  EXPECT_TRUE(config().mClearPassword.enabled());
  typePassword("openbox");
  EXPECT_EQ(session().KeptPassword, "openbox");

  ask(Action::Configuration, "Configuration");
  EXPECT_EQ(prompt()->chkKeep.value(), 1);
  EXPECT_EQ(prompt()->txtPass.text(), "openbox");
  prompt()->cmdCancelPWD.click();
  app().collect();

  config().mClearPassword.click();
  EXPECT_EQ(session().KeptPassword, "");
  EXPECT_FALSE(config().mClearPassword.enabled());
  ask(Action::Configuration, "Configuration");
  EXPECT_EQ(prompt()->txtPass.text(), "");
  EXPECT_EQ(prompt()->chkKeep.value(), 0);
}

TEST_F(PasswordPromptTest, AWrongPasswordForgetsTheKeptOne) {
  session().KeptPassword = "openbox";
  ask(Action::Configuration, "Configuration");
  typePassword("bad");
  EXPECT_EQ(session().KeptPassword, "");
}

TEST_F(PasswordPromptTest, SubfolderBoxFollowsAndWritesTheStoredChoice) {
  setString(Root::User, keys::Settings, "subfolders", "1");
  askForExplorer({encryption::Verb::Encrypt, {"C:\\x"}, std::nullopt}, "Master Password Required:");
  EXPECT_EQ(prompt()->chksubfolders.value(), 1);
  prompt()->chksubfolders.click();
  EXPECT_FALSE(state().Encryption.includeSubfolders);
  EXPECT_EQ(getString(Root::User, keys::Settings, "subfolders"), "0");
}

TEST_F(PasswordPromptTest, ComputerLockIgnoresCancelAndEndsWithTheRightPassword) {
  session().KeptPassword = "openbox";
  config().mLockWorkstation.click();
  ASSERT_NE(app().openBlank(), nullptr);
  EXPECT_TRUE(app().openBlank()->visible());
  ASSERT_NE(prompt(), nullptr);
  EXPECT_EQ(prompt()->lblProgram.caption(), "System Lock");
  EXPECT_EQ(prompt()->txtPass.text(), "") << "a kept password is not offered";
  EXPECT_EQ(sim.desktop.keyPresses(), std::vector<std::uint16_t>{0x28});
  prompt()->cmdCancelPWD.click();
  EXPECT_NE(prompt(), nullptr);
  EXPECT_TRUE(app().openBlank()->visible());
  typePassword("openbox");
  EXPECT_EQ(app().openBlank(), nullptr);
  EXPECT_EQ(prompt(), nullptr);
}

// The blank screen refuses every close but the one the right password makes,
// and no other request takes its prompt over: a watcher's "app" prompt there
// would let Cancel close the prompt, and the blank screen with it.
TEST_F(PasswordPromptTest, ComputerLockHoldsAgainstClosesAndOtherRequests) {
  subsystems().lockList.append("Notepad", true, false);
  config().mLockWorkstation.click();
  FrmBlank* blank = app().openBlank();
  ASSERT_NE(blank, nullptr);
  for (auto reason : {forms::CloseReason::User, forms::CloseReason::Code, forms::CloseReason::TaskManager,
                      forms::CloseReason::Owner}) {
    blank->close(reason);
    app().collect();
    ASSERT_EQ(app().openBlank(), blank);
    EXPECT_TRUE(blank->visible());
  }
  auto notepad = sim.desktop.createWindow("Untitled - Notepad", "Notepad");
  sim.clock.advance(500);
  EXPECT_TRUE(sim.desktop.isHidden(notepad)) << "the watcher still hides a locked window";
  EXPECT_EQ(pending().PendingAction, Action::ComputerLock);
  EXPECT_EQ(prompt()->lblProgram.caption(), "System Lock");
  prompt()->cmdCancelPWD.click();
  app().collect();
  ASSERT_NE(prompt(), nullptr);
  EXPECT_TRUE(blank->visible());
  typePassword("openbox");
  EXPECT_EQ(app().openBlank(), nullptr);
  EXPECT_TRUE(sim.desktop.isHidden(notepad)) << "the computer lock's password releases no window";
  blank = nullptr;
}

TEST_F(PasswordPromptTest, ComputerLockGivesTheBoxBackThirtySecondsAfterFiveWrongPasswords) {
  config().mLockWorkstation.click();
  for (int i = 0; i < 5; ++i) typePassword("wrong");
  EXPECT_FALSE(prompt()->txtPass.enabled());
  EXPECT_EQ(prompt()->lblDefaultPass.caption(), "Too many wrong passwords. Try again in 30 seconds.");
  prompt()->cmdCancelPWD.click();
  EXPECT_NE(prompt(), nullptr) << "Cancel still does nothing";
  sim.clock.advance(29000);
  EXPECT_FALSE(prompt()->cmdok.enabled());
  sim.clock.advance(1000);
  EXPECT_TRUE(prompt()->txtPass.enabled());
  EXPECT_TRUE(prompt()->cmdok.enabled());
  typePassword("openbox");
  EXPECT_EQ(app().openBlank(), nullptr);
}

TEST_F(PasswordPromptTest, ALaterCallerRetitlesTheOpenPromptAndKeepsTheTypedText) {
  ask(Action::ListedWindow, "Untitled - Notepad", sim.desktop.createWindow("Untitled - Notepad", "Notepad"));
  prompt()->txtPass.userSetText("open");
  ask(Action::InternetExplorer, "Internet Explorer", 0);
  EXPECT_EQ(prompt()->lblProgram.caption(), "Internet Explorer");
  EXPECT_EQ(prompt()->txtPass.text(), "open");
}

}  // namespace
}  // namespace tessara::testing

namespace tessara::testing {
namespace {

class PromptCloseBoxTest : public AppTest {
 protected:
  void SetUp() override { start(); }
};

TEST_F(PromptCloseBoxTest, TheCloseBoxCannotEndTheComputerLock) {
  config().mLockWorkstation.click();
  prompt()->close(forms::CloseReason::User);
  app().collect();
  ASSERT_NE(prompt(), nullptr);
  ASSERT_NE(app().openBlank(), nullptr);
  EXPECT_TRUE(app().openBlank()->visible());
  typePassword("openbox");
  EXPECT_EQ(app().openBlank(), nullptr);
}

TEST_F(PromptCloseBoxTest, TheCloseBoxCancelsLikeTheCancelButton) {
  auto w = sim.desktop.createWindow("Untitled - Notepad", "Notepad");
  pending().PendingAction = Action::ListedWindow;
  pending().PendingTitle = "Untitled - Notepad";
  pending().PendingWindow = w;
  app().passwordRequests().ShowPWD();
  prompt()->close(forms::CloseReason::User);
  app().collect();
  EXPECT_EQ(prompt(), nullptr);
  EXPECT_EQ(sim.desktop.closeRequests(), std::vector<platform::WindowHandle>{w});
}

// The guarded uninstall through the prompt: the two clicks of the Uninstall
// label, and the Help menu's item.
constexpr const char* kFolder = "C:\\Program Files\\Tessara\\";
const std::string kProgram = std::string(kFolder) + "tessara7.exe";
const std::string kDataFile = std::string(kFolder) + "unins000.dat";
const std::string kUninstaller = std::string(kFolder) + "unins000.exe";
// SHA-256 of "program v7", as the setup records it.
constexpr const char* kProgramDigest = "60fb9d11748a81a46d44581223d9622d96dd4147eb89706eb0297efb1c2cc8e9";

class UninstallTest : public AppTest {
 protected:
  void install() {
    sim.files.addFolder(kFolder);
    sim.files.addFile(kProgram, "program v7");
    sim.files.addFile(kDataFile, "tessara7.exe\r\n");
    sim.files.addFile(kUninstaller, "uninstaller");
    sim.files.addFolder("C:\\ProgramData\\Tessara");
    sim.registry.writeString(platform::Root::Machine, "Software\\TSR\\Guard", "ProgramSha256", kProgramDigest);
  }
  void tick() { sim.clock.advance(1000); }
  // Whether another program (the uninstaller) can open the data file now.
  bool dataFileFree() { return sim.files.openRead(kDataFile) != nullptr; }
  int uninstallerStarts() {
    int count = 0;
    for (const auto& start : sim.shell.started()) count += start.path == kUninstaller ? 1 : 0;
    return count;
  }
};

TEST_F(UninstallTest, SecondClickAfterThePasswordHandsOverTheFileAndStartsTheUninstaller) {
  install();
  start();
  tick();
  config().cmdUninstall.click();
  ASSERT_NE(prompt(), nullptr);
  EXPECT_EQ(prompt()->lblProgram.caption(), "Uninstall Tessara");
  EXPECT_EQ(uninstallerStarts(), 0) << "the first click touched files";
  typePassword("openbox");
  EXPECT_EQ(config().cmdUninstall.caption(), "> Uninstall <");
  EXPECT_FALSE(dataFileFree());
  EXPECT_FALSE(app().uninstall().endForUninstaller()) << "the program agreed to end before the hand-over";

  config().cmdUninstall.click();
  EXPECT_FALSE(config().tmrFileProtector.running());
  ASSERT_EQ(uninstallerStarts(), 1);
  EXPECT_EQ(sim.shell.started().back().showCommand, platform::SwShowNormal);
  tick();
  tick();
  EXPECT_TRUE(dataFileFree()) << "the protector took the file back";

  // Ending for good needs the uninstaller holding the data file.
  EXPECT_FALSE(app().uninstall().endForUninstaller()) << "anyone could end the program after the hand-over";
  {
    auto held = sim.files.openRead(kDataFile);
    ASSERT_NE(held, nullptr);
    EXPECT_TRUE(app().uninstall().endForUninstaller());
  }

  // Given back already: a further click starts the uninstaller again, but
  // never without its data file.
  config().cmdUninstall.click();
  EXPECT_EQ(uninstallerStarts(), 2);
  ASSERT_TRUE(sim.files.deleteFile(kDataFile));
  config().cmdUninstall.click();
  EXPECT_EQ(uninstallerStarts(), 2);
  EXPECT_NE(noticeText().find("unins000.dat"), std::string::npos);
  EXPECT_EQ(quitCount, 0) << "the command ended the program";
}

TEST_F(UninstallTest, HelpMenuHidesTheWindowRemovesTheIconAndPrompts) {
  install();
  start();
  config().show();
  ASSERT_EQ(tray.icons.size(), 1u);
  config().mUninstall.click();
  EXPECT_FALSE(config().visible());
  EXPECT_TRUE(tray.icons.empty()) << "the tray icon stayed";
  ASSERT_NE(prompt(), nullptr);
  prompt()->cmdCancelPWD.click();
  app().collect();
  EXPECT_EQ(config().cmdUninstall.caption(), "Uninstall");

  // Over one of the program's dialogs: no prompt, but the window and icon still go.
  app().addTrayIcon();
  session().DialogOpen = true;
  config().mUninstall.click();
  EXPECT_EQ(prompt(), nullptr);
  EXPECT_EQ(pending().PendingAction, Action::Uninstall);
  EXPECT_TRUE(tray.icons.empty());
  session().DialogOpen = false;
}

// The owner's day, as the program hands it to the service: a locked window,
// a wrong and a right password, Apply and Exit; no password in any of it.
class HistoryEventsTest : public AppTest {};

TEST_F(HistoryEventsTest, EachStepLeavesItsEventInOrderAndNoPasswordEver) {
  sim.guard.installed = true;
  start();
  const auto notepad = sim.desktop.createWindow("Untitled - Notepad", "Notepad");
  app().requestPassword({Action::ListedWindow, "Untitled - Notepad", notepad, "Notepad"});
  app().requestPassword({Action::ListedWindow, "Untitled - Notepad", notepad, "Notepad"});
  typePassword("hunter2-guess");
  typePassword("openbox");
  unlock();
  config().chkLockIE.setChecked(true);
  config().cmdok.click();
  app().exitForGood();
  app().history().flush();

  std::vector<history::Kind> kinds;
  for (const auto& event : sim.guard.recorded()) {
    kinds.push_back(event.kind);
    EXPECT_EQ(event.detail.find("hunter2"), std::string::npos) << event.detail;
    EXPECT_EQ(event.detail.find("openbox"), std::string::npos) << event.detail;
  }
  using enum history::Kind;
  EXPECT_EQ(kinds, (std::vector<history::Kind>{Started, Locked, PasswordWrong, PasswordRight, Apply, Exit}));
  const auto events = sim.guard.recorded();
  EXPECT_EQ(events[1].detail, "\"Untitled - Notepad\"");
  EXPECT_EQ(events[2].detail, "for a locked window");
  EXPECT_NE(events[4].detail.find("LockIE"), std::string::npos) << events[4].detail;
}

// The owner reads the history: newest first, one kind at a time, a changed
// line said to be changed, exported as CSV, and cleared with the password.
TEST_F(HistoryEventsTest, TheWindowFiltersExportsAndClearsWithThePassword) {
  sim.guard.installed = true;
  start();
  app().history().flush();
  sim.guard.events.clear();  // (touched by the test only while the queue is idle)
  app().history().record(history::Kind::Locked, "\"Ledger, \"Q4\"\"");
  app().history().record(history::Kind::PasswordWrong, "for a locked window");
  app().history().record(history::Kind::Locked, "\"Notepad\"");
  app().history().flush();

  config().mHistory.click();
  EXPECT_NE(prompt(), nullptr) << "the history is behind the master password";
  ASSERT_EQ(app().openHistory(), nullptr);
  unlock();
  config().mHistory.click();
  FrmHistory* window = app().openHistory();
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(window->lblNotKept.visible());
  ASSERT_EQ(window->lstEvents.count(), 3);
  EXPECT_NE(window->lstEvents.item(0).find("Window locked:  \"Notepad\""), std::string::npos) << "newest first";
  window->lstKinds.userSelect(3);  // Password wrong
  ASSERT_EQ(window->lstEvents.count(), 1);
  EXPECT_NE(window->lstEvents.item(0).find("Password wrong"), std::string::npos);

  window->lstKinds.userSelect(1);  // Window locked
  sim.files.addFolder("C:\\Users\\ann");
  sim.shell.queueBrowseAnswer("C:\\Users\\ann\\history.csv");
  window->cmdExport.click();
  const auto csv = sim.files.content("C:\\Users\\ann\\history.csv");
  ASSERT_TRUE(csv.has_value());
  EXPECT_EQ(*csv, "\xEF\xBB\xBFTime,User,Session,Event,Detail,Chain\r\n"
                  "\"2026-01-01T00:00:00Z\",\"PC\\owner\",1,\"Window locked\",\"\"\"Notepad\"\"\",\"holds\"\r\n"
                  "\"2026-01-01T00:00:00Z\",\"PC\\owner\",1,\"Window locked\",\"\"\"Ledger, \"\"Q4\"\"\"\"\",\"holds\"\r\n");

  window->cmdClear.click();
  ASSERT_NE(prompt(), nullptr);
  typePassword("wrong one");
  app().history().flush();
  ASSERT_EQ(sim.guard.recorded().size(), 4u) << "not cleared without the password";
  EXPECT_EQ(sim.guard.recorded()[3].detail, "for clearing the history");
  typePassword("openbox");
  window = app().openHistory();
  ASSERT_NE(window, nullptr);
  window->lstKinds.userSelect(0);
  app().history().flush();
  const auto left = sim.guard.recorded();
  ASSERT_GE(left.size(), 1u);
  EXPECT_EQ(left[0].kind, history::Kind::Cleared);
  EXPECT_EQ(window->lstEvents.count(), static_cast<int>(left.size()));
}

// The lock page's commands, which the prompt guards.
class LockPageTest : public AppTest {
 protected:
  void SetUp() override {
    start();
    unlock();
    subsystems().lockList.clear();
  }
};

TEST_F(LockPageTest, ResetLocksEmptiesBothReleaseLists) {
  subsystems().releases.releaseClass("Notepad", "Untitled - Notepad");
  config().mnuResetLocks.click();
  EXPECT_EQ(config().lstAllow.count(), 0);
  EXPECT_EQ(config().lstUnlockedWin.count(), 0);
}

TEST_F(LockPageTest, ProtectAProgramOpensTheLockPageOrAsksForThePassword) {
  config().cmdlockprogram.click();
  EXPECT_EQ(config().SSTab1.tab(), FrmConfig::PageAccess);
  EXPECT_EQ(config().focus(), &config().txtTask);
  session().ConfigUnlocked = false;
  config().cmdlockprogram.click();
  ASSERT_NE(prompt(), nullptr);
  EXPECT_EQ(pending().PendingAction, Action::Configuration);
}

class MasterPasswordTest : public AppTest {
 protected:
  void SetUp() override {
    start();
    unlock();
  }
  void setPassword(const std::string& text) {
    config().cmdpassword.click();
    config().txtsetpassword.setText(text);
    config().cmdsetpassword.click();
  }
};

TEST_F(MasterPasswordTest, NewPasswordIsStoredInSmallLettersUnderTheScopesRoot) {
  config().cmdpassword.click();
  EXPECT_FALSE(config().Label10.visible());
  EXPECT_TRUE(config().txtsetpassword.visible());
  config().txtsetpassword.setText("NewPass");
  config().cmdsetpassword.click();
  const std::string stored = getString(Root::Machine, keys::Password, "title2");
  EXPECT_TRUE(PasswordHash::isHash(stored)) << stored;
  EXPECT_TRUE(PasswordHash::matches("newpass", stored));
  EXPECT_FALSE(PasswordHash::matches("NewPass", stored)) << "the small letters are hashed";
  EXPECT_EQ(app().masterPassword().stored(), stored);
  EXPECT_EQ(getString(Root::User, keys::Password, "title2"), "<absent>");
  EXPECT_EQ(noticeText(), "Master password set.");
  EXPECT_TRUE(config().Label10.visible());
  EXPECT_FALSE(config().txtsetpassword.visible());
}

TEST_F(MasterPasswordTest, ThisUserScopeWritesUnderTheUsersRoot) {
  config().OptThisUser.click();
  setPassword("Mine");
  EXPECT_TRUE(PasswordHash::matches("mine", getString(Root::User, keys::Password, "title2")));
  EXPECT_EQ(getString(Root::Machine, keys::Password, "title2"), "<absent>");
}

TEST_F(MasterPasswordTest, AnEmptyNewPasswordKeepsTheOldOneWithoutANotice) {
  setPassword("");
  EXPECT_TRUE(app().masterPassword().check("openbox"));
  EXPECT_TRUE(app().masterPassword().isDefault());
  EXPECT_TRUE(PasswordHash::matches("openbox", getString(Root::Machine, keys::Password, "title2")))
      << "the unchanged password is written again, as its hash";
  EXPECT_EQ(noticeText(), "<no notice>");
}

TEST_F(MasterPasswordTest, TheNewPasswordIsAcceptedInAnyCase) {
  setPassword("Secret");
  session().ConfigUnlocked = false;
  config().mconfig.click();
  typePassword("sEcReT");
  EXPECT_TRUE(session().ConfigUnlocked);
}

TEST_F(MasterPasswordTest, LockedCommandsAskForTheConfigurationPassword) {
  session().ConfigUnlocked = false;
  config().cmdpassword.click();
  EXPECT_FALSE(config().txtsetpassword.visible());
  ASSERT_NE(prompt(), nullptr);
  EXPECT_EQ(pending().PendingAction, Action::Configuration);
}

}  // namespace
}  // namespace tessara::testing
