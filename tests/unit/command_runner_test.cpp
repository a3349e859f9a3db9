// The command runner and Explorer's Encrypt and Decrypt, without the
// configuration window: the runner over a stand-in for the encryption run,
// the Explorer menu over a stand-in for the program and the password prompt.
#include "tessara7/encryption/command_runner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/sim_clock.h"
#include "platform/sim/sim_desktop.h"
#include "platform/sim/sim_registry.h"
#include "forms/form.h"
#include "shared/explorer_menu_message.h"
#include "tessara7/encryption/explorer_menu.h"
#include "tessara7/settings/registry_access.h"

namespace tessara {
namespace {

using encryption::ExplorerRequest;
using encryption::Verb;

// Runs what it is given, for as long as a test says a run goes on.
class RecordingTarget final : public CommandRunner::Target {
 public:
  void stopIfAsked() override { ++stopChecks; }
  bool running() const override { return busy; }
  void run(CommandRunner::Command command) override {
    ran.push_back((command.verb == Verb::Encrypt ? "en " : "de ") + command.path +
                  (command.password ? " with " + *command.password : ""));
  }
  bool busy = false;
  int stopChecks = 0;
  std::vector<std::string> ran;
};

TEST(CommandRunner, RunsOneCommandATickInOrderAndNeverInsideARun) {
  RecordingTarget target;
  CommandRunner runner(target);
  runner.Timer1_Timer();
  EXPECT_TRUE(target.ran.empty());

  runner.queue(ExplorerRequest{Verb::Decrypt, {"C:\\a", "C:\\b"}, "Key"});
  runner.queue({Verb::Encrypt, "C:\\c", std::nullopt});
  target.busy = true;
  runner.Timer1_Timer();
  runner.Timer1_Timer();
  EXPECT_TRUE(target.ran.empty()) << "nothing starts while a run goes on";
  EXPECT_EQ(target.stopChecks, 3) << "a wanted stop is looked at every tick, also during a run";
  EXPECT_EQ(runner.waiting(), 3u);

  target.busy = false;
  for (int tick = 0; tick < 4; ++tick) runner.Timer1_Timer();
  EXPECT_EQ(target.ran, (std::vector<std::string>{"de C:\\a with Key", "de C:\\b with Key", "en C:\\c"}));
  EXPECT_EQ(runner.waiting(), 0u);
}

class ClickPage : public forms::Form {
 public:
  explicit ClickPage(forms::Runtime& runtime) : Form(runtime, "frmEncryption", "Encryption") {}
  forms::TextBox txtPath{*this, "txtPath"};
};

class PromptStandIn final : public PromptFace {
 public:
  void hide() override {}
  platform::WindowHandle owner() const override { return 0; }
  void say(const std::string&) override {}
  bool takeIgnoreTick() override { return false; }
};

class ExplorerMenuAlone : public ::testing::Test, public ExplorerMenu::Host {
 protected:
  bool explorerMenuNeedsPassword() const override { return needsPassword; }
  bool dialogOpen() const override { return dialog; }
  void requestPassword(PasswordRequest request) override { requests.push_back(std::move(request)); }
  void offerSubfolderOption() override { ++subfolderOffers; }

  void click(const std::u16string& caption, const std::vector<std::u16string>& paths) {
    menu.received(explorer_menu::encode({caption, paths}));
  }
  void grant(const std::string& typed) {
    PromptStandIn prompt;
    requests.back().granted({typed, prompt});
  }
  std::vector<std::string> runAll() {
    for (std::size_t i = 0, n = runner.waiting(); i < n; ++i) runner.Timer1_Timer();
    return target.ran;
  }

  platform::sim::SimClock clock;
  forms::Runtime runtime{clock, nullptr, [](const std::string& error) { ADD_FAILURE() << error; }, {}};
  ClickPage page{runtime};
  platform::sim::SimDesktop desktop;
  platform::sim::SimRegistry simRegistry;
  RegistryAccess registry{simRegistry};
  std::string appFolder = "C:\\Program Files\\Tessara\\";
  RecordingTarget target;
  CommandRunner runner{target};
  ExplorerMenu menu{*this, {page, page.txtPath, runner, {desktop, registry, appFolder}}};
  bool needsPassword = false;
  bool dialog = false;
  std::vector<PasswordRequest> requests;
  int subfolderOffers = 0;
};

TEST_F(ExplorerMenuAlone, ClicksOfALiveMenuBecomeCommandsAndNothingElseDoes) {
  click(u"Encrypt", {u"C:\\early.txt"});
  EXPECT_EQ(runner.waiting(), 0u) << "no menu object yet: the option is off";
  menu.load(true);

  for (const char16_t* ignored : {u"-", u"Delete", u"encrypt"}) click(ignored, {u"C:\\b.txt"});
  auto cut = explorer_menu::encode({u"Encrypt", {u"C:\\b.txt"}});
  cut.pop_back();
  menu.received(cut);
  EXPECT_EQ(runner.waiting(), 0u);
  EXPECT_EQ(page.txtPath.text(), "");

  // Two clicks before the timer comes: neither is lost.
  click(u"Encrypt", {u"C:\\One", u"C:\\Två"});
  click(u"Decrypt", {u"D:\\x.ts7"});
  EXPECT_EQ(page.txtPath.text(), "D:\\x.ts7");
  EXPECT_TRUE(requests.empty());
  EXPECT_EQ(runAll(), (std::vector<std::string>{"en C:\\One", "en C:\\Två", "de D:\\x.ts7"}));
}

TEST_F(ExplorerMenuAlone, WithThePasswordOptionTheCommandsWaitForThePromptsAnswer) {
  menu.load(true);
  needsPassword = true;
  click(u"Decrypt", {u"C:\\a.ts7", u"C:\\b.ts7"});
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].action, Action::ExplorerDecrypt);
  EXPECT_EQ(requests[0].title, "Enter the original encryption password to decrypt file(s).");
  EXPECT_EQ(subfolderOffers, 1);
  EXPECT_EQ(runner.waiting(), 0u) << "nothing runs before the answer";
  grant("Files Key");
  EXPECT_EQ(runAll(), (std::vector<std::string>{"de C:\\a.ts7 with Files Key", "de C:\\b.ts7 with Files Key"}));

  click(u"Encrypt", {u"C:\\c"});
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[1].action, Action::ExplorerEncrypt);
  EXPECT_EQ(requests[1].title, "Master Password Required:");
  grant("openbox");
  EXPECT_EQ(runAll().back(), "en C:\\c") << "the master password is no file's password";

  // Over one of the program's dialogs a click only shows its path.
  dialog = true;
  click(u"Encrypt", {u"C:\\d"});
  EXPECT_EQ(requests.size(), 2u);
  EXPECT_EQ(runner.waiting(), 0u);
  EXPECT_EQ(page.txtPath.text(), "C:\\d");
}

}  // namespace
}  // namespace tessara
