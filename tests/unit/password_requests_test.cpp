// The guarded requests and their prompt alone, without the configuration
// window: what a request leaves pending, when the prompt comes up, and that
// only the right password runs what was asked. The requests, the prompt and
// the master password run on the simulated platform; the program around them
// is this fixture (with the whole program, see password_prompt_test.cpp).
#include "tessara7/locking/password_requests.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "platform/sim/sim_platform.h"
#include "tessara7/history/history_queue.h"
#include "tessara7/locking/frm_password.h"
#include "tessara7/locking/master_password.h"
#include "tessara7/locking/password_throttle.h"
#include "tessara7/locking/program_entries.h"
#include "tessara7/settings/registry_access.h"

namespace tessara {
namespace {

// The controls the master password works with.
class PasswordPage : public forms::Form {
 public:
  explicit PasswordPage(forms::Runtime& runtime) : Form(runtime, "frmConfig", "Configuration") {}
  forms::TextBox txtsetpassword{*this, "txtsetpassword"};
  forms::Button cmdsetpassword{*this, "cmdsetpassword", "OK"};
  forms::Label Label10{*this, "Label10"};
  forms::OptionButton OptThisUser{*this, "OptThisUser", "This user"};
  forms::MenuItem& mFile = addMenu("mFile", "File");
  forms::MenuItem& mClearPassword = mFile.add("mClearPassword", "Stop Remembering Password");
  forms::MenuItem& chkPasswordTimer = mFile.add("chkPasswordTimer", "Password Timer");
  forms::Timer tmrPassword{*this, "tmrPassword", 30000, false};
};

class PasswordRequestsTest : public ::testing::Test,
                             public PasswordRequests::Host,
                             public FrmPassword::Host,
                             public MasterPassword::Host {
 protected:
  void SetUp() override {
    masterPassword.hashIterations = 1000;
    masterPassword.load(registry, platform::Root::Machine);  // none stored: "openbox"
  }

  FrmPassword& frmPassword() override { return prompt.get(); }
  bool computerLocked() const override { return blankScreen; }
  bool loading() const override { return windowLoading; }
  void showConfiguration() override { ++configurationShown; }
  FrmBlank* openBlank() override { return nullptr; }
  bool ended() const override { return false; }
  encryption::EncryptionSettings& encryptionSettings() override { return encryption; }
  bool askConfigPassword() override { return requests.askConfigPassword(); }
  void showNotice(std::string) override {}
  void forgetKeptPassword() override { requests.session().KeptPassword.clear(); }

  // The prompt as the user sees it, or nullptr when none is up.
  FrmPassword* shown() {
    FrmPassword* open = prompt.peek();
    return open && open->visible() ? open : nullptr;
  }
  void type(const std::string& text) {
    ASSERT_NE(shown(), nullptr);
    shown()->txtPass.userSetText(text);
    shown()->cmdok.click();
    prompt.collect();
  }
  // A listed window's request, whose right password notes what was typed.
  PasswordRequest lockOf(platform::WindowHandle w, const std::string& title) {
    return {Action::ListedWindow, title, w, "Notepad", std::nullopt,
            [this](const PasswordGiven& given) { granted.push_back(given.text); }};
  }
  std::vector<history::Kind> recorded() {
    history.flush();
    std::vector<history::Kind> kinds;
    for (const auto& event : sim.guard.recorded()) kinds.push_back(event.kind);
    return kinds;
  }

  platform::sim::SimPlatform sim;
  forms::Runtime runtime{sim.clock, nullptr, [](const std::string& error) { ADD_FAILURE() << error; }, {}};
  RegistryAccess registry{sim.registry};
  PasswordPage page{runtime};
  MasterPassword masterPassword{*this,
                                registry,
                                {page, page.cmdsetpassword, page.txtsetpassword, page.Label10, page.OptThisUser,
                                 page.mClearPassword, page.chkPasswordTimer, page.tmrPassword}};
  PasswordThrottle throttle{sim.guard, registry, sim.clock};
  HistoryQueue history{sim.guard};
  ProgramLookup programs{sim.desktop};
  PasswordRequests requests{*this, {masterPassword, history, programs}};
  const std::array<std::uint16_t, 4> version{7, 1, 0, 3};
  encryption::EncryptionSettings encryption;
  forms::FormSlot<FrmPassword> prompt{[this] {
    return std::make_unique<FrmPassword>(
        runtime, *this, FrmPassword::Parts{version, masterPassword, throttle, history, requests, sim.desktop, registry});
  }};

  bool blankScreen = false;
  bool windowLoading = false;
  int configurationShown = 0;
  std::vector<std::string> granted;  // what the right password was typed as, each time
};

TEST_F(PasswordRequestsTest, OnlyTheRightPasswordRunsWhatWasAskedAndAWrongOneIsCounted) {
  sim.guard.installed = true;
  const auto notepad = sim.desktop.createWindow("Untitled - Notepad", "Notepad");
  requests.requestPassword(lockOf(notepad, "Untitled - Notepad"));
  requests.requestPassword(lockOf(notepad, "Untitled - Notepad"));  // the watcher's next tick
  ASSERT_NE(shown(), nullptr);
  EXPECT_EQ(shown()->lblProgram.caption(), "Untitled - Notepad");
  EXPECT_EQ(requests.pending().PendingAction, Action::ListedWindow);
  EXPECT_EQ(requests.pending().PendingWindow, notepad);
  EXPECT_EQ(requests.pending().PendingItem, "Notepad");

  type("guess");
  EXPECT_TRUE(granted.empty());
  ASSERT_NE(shown(), nullptr) << "a locked window's prompt stays for another try";
  EXPECT_EQ(shown()->lblPWD.caption(), "Password, wrong:");
  EXPECT_EQ(sim.guard.tries.count, 1u);
  EXPECT_EQ(requests.pending().PendingAction, Action::ListedWindow);

  type("OpenBox");
  EXPECT_EQ(granted, std::vector<std::string>{"OpenBox"}) << "handed on as typed";
  EXPECT_EQ(shown(), nullptr);
  EXPECT_EQ(requests.pending().PendingAction, Action::None);
  EXPECT_EQ(sim.guard.tries.count, 0u) << "the right one starts the count over";
  using enum history::Kind;
  EXPECT_EQ(recorded(), (std::vector<history::Kind>{Locked, PasswordWrong, PasswordRight}))
      << "the window is noted as locked once, however often it is asked for";
}

TEST_F(PasswordRequestsTest, CancelClosesTheGuardedWindowOnlyWhileTheRequestGuardsOne) {
  const auto notepad = sim.desktop.createWindow("Untitled - Notepad", "Notepad");
  requests.requestPassword(lockOf(notepad, "Untitled - Notepad"));
  // A later request guarding no window takes the prompt over and keeps its text.
  requests.requestPassword({Action::Configuration, std::nullopt, notepad});
  EXPECT_EQ(requests.pending().PendingAction, Action::Configuration);
  EXPECT_EQ(requests.pending().PendingWindow, 0u);
  EXPECT_EQ(shown()->lblProgram.caption(), "Untitled - Notepad");
  shown()->cmdCancelPWD.click();
  prompt.collect();
  EXPECT_EQ(shown(), nullptr);
  EXPECT_TRUE(sim.desktop.closeRequests().empty());

  requests.requestPassword(lockOf(notepad, "Untitled - Notepad"));
  shown()->cmdCancelPWD.click();
  EXPECT_EQ(sim.desktop.closeRequests(), std::vector<platform::WindowHandle>{notepad});
  EXPECT_TRUE(granted.empty());
  EXPECT_EQ(requests.pending().PendingAction, Action::None);
}

TEST_F(PasswordRequestsTest, ARequestWaitsForTheLoadAndOurDialogsAndNeverTakesTheComputerLocksPrompt) {
  windowLoading = true;
  requests.requestConfiguration("Configuration");
  EXPECT_EQ(shown(), nullptr);
  EXPECT_EQ(requests.pending().PendingAction, Action::Configuration) << "noted all the same";

  windowLoading = false;
  requests.session().DialogOpen = true;
  requests.requestConfiguration("Configuration");
  EXPECT_EQ(shown(), nullptr);
  requests.requestPassword({Action::Uninstall, "Uninstall Tessara"});
  ASSERT_NE(shown(), nullptr) << "the uninstall asks over a dialog";
  requests.session().DialogOpen = false;

  blankScreen = true;
  requests.requestPassword({Action::ComputerLock, "System Lock"});
  const auto notepad = sim.desktop.createWindow("Untitled - Notepad", "Notepad");
  requests.requestPassword(lockOf(notepad, "Untitled - Notepad"));
  EXPECT_EQ(requests.pending().PendingAction, Action::ComputerLock);
  EXPECT_EQ(shown()->lblProgram.caption(), "System Lock");
}

TEST_F(PasswordRequestsTest, TheConfigurationStaysLockedUntilThePasswordOpensIt) {
  EXPECT_TRUE(requests.askConfigPassword());
  ASSERT_NE(shown(), nullptr);
  EXPECT_EQ(requests.pending().PendingAction, Action::Configuration);
  type("openbox");
  EXPECT_TRUE(requests.session().ConfigUnlocked);
  EXPECT_EQ(configurationShown, 1);
  EXPECT_FALSE(requests.askConfigPassword()) << "open now: the command goes on";
  EXPECT_EQ(shown(), nullptr);
}

}  // namespace
}  // namespace tessara
