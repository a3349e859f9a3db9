// The master password in the store: a hash no other user can read back,
// what an older version stored as text still opens and is replaced by its
// hash, and the prompt's hint for the default password. The password alone,
// on a small form of its own over the simulated store.
#include "tessara7/locking/master_password.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/sim/sim_clock.h"
#include "platform/sim/sim_registry.h"
#include "tessara7/common/text.h"
#include "tessara7/locking/password_hash.h"
#include "tessara7/settings/registry_access.h"
#include "tessara7/settings/store_keys.h"

namespace tessara {
namespace {

using platform::Root;

class PasswordPage : public forms::Form {
 public:
  explicit PasswordPage(forms::Runtime& runtime) : Form(runtime, "frmPassword", "Password") {}
  forms::Button cmdpassword{*this, "cmdpassword", "Set Master Password"};
  forms::TextBox txtsetpassword{*this, "txtsetpassword"};
  forms::Button cmdsetpassword{*this, "cmdsetpassword", "OK"};
  forms::Label Label10{*this, "Label10", "Apply configuration to:"};
  forms::OptionButton OptThisUser{*this, "OptThisUser", "This user"};
  forms::MenuItem& mFile = addMenu("mFile", "File");
  forms::MenuItem& mClearPassword = mFile.add("mClearPassword", "Stop Remembering Password");
  forms::MenuItem& chkPasswordTimer = mFile.add("chkPasswordTimer", "Password Timer");
  forms::Timer tmrPassword{*this, "tmrPassword", 30000, false};
};

class StoredPasswordTest : public ::testing::Test, public MasterPassword::Host {
 protected:
  // Wired as the configuration window wires its controls.
  void SetUp() override {
    page.cmdpassword.onClick = [this] { password.cmdpassword_Click(); };
    page.cmdsetpassword.onClick = [this] { password.cmdsetpassword_Click(); };
    // Cheap hashes, so that tests may set and check passwords freely; the
    // stored text carries its count, so every check still reads it.
    password.hashIterations = 1000;
  }
  bool askConfigPassword() override { return !configUnlocked; }
  void showNotice(std::string text) override { notices.push_back(std::move(text)); }
  void forgetKeptPassword() override {}

  void setString(Root root, const std::string& key, const std::string& name, const std::string& text) {
    sim.writeString(root, key, name, text);
  }
  std::string stored(Root root = Root::Machine) {
    auto value = sim.read(root, keys::Password, "title2");
    return value && value->type == platform::ValueType::String ? value->text : "<absent>";
  }
  // This user was given settings of their own: the loader reads their store.
  void chooseThisUser() { scope = Root::User; }
  // The load at start-up, Apply or a change of scope.
  void load() { password.load(registry, scope); }
  // What the prompt does with the typed text: the master password is
  // compared in lower case.
  bool opensWith(const std::string& typed) { return password.check(lowerCase(typed)); }
  // The prompt shows its hint for the default password.
  bool hintShown() { return password.isDefault(); }

  platform::sim::SimClock clock;
  forms::Runtime runtime{clock, nullptr, [](const std::string& error) { ADD_FAILURE() << error; }, {}};
  PasswordPage page{runtime};
  platform::sim::SimRegistry sim;
  RegistryAccess registry{sim};
  MasterPassword password{*this,
                          registry,
                          {page, page.cmdsetpassword, page.txtsetpassword, page.Label10, page.OptThisUser,
                           page.mClearPassword, page.chkPasswordTimer, page.tmrPassword}};
  Root scope = Root::Machine;
  bool configUnlocked = false;
  std::vector<std::string> notices;
};

TEST_F(StoredPasswordTest, TextFromAnOlderVersionOpensOnceAndIsThenStoredAsItsHash) {
  setString(Root::Machine, keys::Password, "title2", "Old Secret");
  load();
  EXPECT_FALSE(opensWith("old")) << "a wrong password";
  EXPECT_EQ(stored(), "Old Secret") << "only the right password replaces the text";

  EXPECT_TRUE(opensWith("OLD SECRET"));
  const std::string hashed = stored();
  EXPECT_TRUE(PasswordHash::isHash(hashed)) << hashed;
  EXPECT_TRUE(PasswordHash::matches("old secret", hashed));
  EXPECT_TRUE(opensWith("old secret")) << "the hash opens as the text did";
  EXPECT_EQ(stored(), hashed) << "a hash is not written again";

  load();  // the next start, Apply or change of scope
  EXPECT_TRUE(opensWith("Old Secret"));
  EXPECT_FALSE(opensWith("openbox"));
  EXPECT_FALSE(hintShown());
}

// The user can write their own store: text there may be the user's own
// choice, so only a hash set by the owner counts in it.
TEST_F(StoredPasswordTest, TheUsersStoreTakesOnlyAHashAndTheMachinesPasswordHoldsOverText) {
  chooseThisUser();
  setString(Root::User, keys::Password, "title2", "mine");
  setString(Root::Machine, keys::Password, "title2", "theirs");
  load();
  EXPECT_FALSE(opensWith("mine"));
  EXPECT_TRUE(opensWith("theirs"));
  EXPECT_EQ(stored(Root::User), "mine") << "the user's text is neither taken nor hashed";
  EXPECT_TRUE(PasswordHash::matches("theirs", stored(Root::Machine)));

  setString(Root::User, keys::Password, "title2", PasswordHash::make("mine", 1000));
  load();
  EXPECT_TRUE(opensWith("mine"));
  EXPECT_FALSE(opensWith("theirs"));
}

// The hint shows while the password is "openbox", whether it is stored (as
// text or as a hash) or not at all.
TEST_F(StoredPasswordTest, TheDefaultHintFollowsThePasswordHoweverItIsStored) {
  load();
  EXPECT_TRUE(hintShown()) << "nothing stored";
  for (const auto& [text, hint] : std::vector<std::pair<std::string, bool>>{
           {"OpenBox", true},
           {PasswordHash::make("openbox", 1000), true},
           {PasswordHash::make("secret", 1000), false},
           {"secret", false},
           {"", true}}) {
    setString(Root::Machine, keys::Password, "title2", text);
    load();
    EXPECT_EQ(hintShown(), hint) << text;
  }
  configUnlocked = true;
  page.cmdpassword.click();
  page.txtsetpassword.setText("Secret");
  page.cmdsetpassword.click();
  EXPECT_FALSE(hintShown()) << "a new password ends the hint at once";
}

}  // namespace
}  // namespace tessara
