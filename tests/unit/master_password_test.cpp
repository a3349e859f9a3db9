// The master password in the store: a hash no other user can read back,
// what an older version stored as text still opens and is replaced by its
// hash, and the prompt's hint for the default password.
#include "tests/unit/app_fixture.h"
#include "tessara7/locking/master_password.h"
#include "tessara7/locking/password_hash.h"
#include "tessara7/settings/store_keys.h"

namespace tessara::testing {
namespace {

class StoredPasswordTest : public AppTest {
 protected:
  std::string stored(Root root = Root::Machine) { return getString(root, keys::Password, "title2"); }
  // Opens the configuration prompt and types the text.
  bool opensWith(const std::string& typed) {
    state().ConfigUnlocked = false;
    config().mconfig.click();
    typePassword(typed);
    const bool opened = state().ConfigUnlocked;
    if (FrmPassword* open = prompt()) open->cmdCancelPWD.click();
    app().collect();
    return opened;
  }
  bool hintShown() {
    config().mconfig.click();
    const bool shown = !prompt()->lblDefaultPass.caption().empty();
    prompt()->cmdCancelPWD.click();
    app().collect();
    return shown;
  }
};

TEST_F(StoredPasswordTest, TextFromAnOlderVersionOpensOnceAndIsThenStoredAsItsHash) {
  setString(Root::Machine, keys::Password, "title2", "Old Secret");
  start();
  EXPECT_FALSE(opensWith("old")) << "a wrong password";
  EXPECT_EQ(stored(), "Old Secret") << "only the right password replaces the text";

  EXPECT_TRUE(opensWith("OLD SECRET"));
  const std::string hashed = stored();
  EXPECT_TRUE(PasswordHash::isHash(hashed)) << hashed;
  EXPECT_TRUE(PasswordHash::matches("old secret", hashed));
  EXPECT_TRUE(opensWith("old secret")) << "the hash opens as the text did";
  EXPECT_EQ(stored(), hashed) << "a hash is not written again";

  subsystems().loader.GetConfig();  // the next start, Apply or change of scope
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
  start();
  EXPECT_FALSE(opensWith("mine"));
  EXPECT_TRUE(opensWith("theirs"));
  EXPECT_EQ(stored(Root::User), "mine") << "the user's text is neither taken nor hashed";
  EXPECT_TRUE(PasswordHash::matches("theirs", stored(Root::Machine)));

  setString(Root::User, keys::Password, "title2", PasswordHash::make("mine", 1000));
  subsystems().loader.GetConfig();
  EXPECT_TRUE(opensWith("mine"));
  EXPECT_FALSE(opensWith("theirs"));
}

// The hint shows while the password is "openbox", whether it is stored (as
// text or as a hash) or not at all.
TEST_F(StoredPasswordTest, TheDefaultHintFollowsThePasswordHoweverItIsStored) {
  start();
  EXPECT_TRUE(hintShown()) << "nothing stored";
  for (const auto& [text, hint] : std::vector<std::pair<std::string, bool>>{
           {"OpenBox", true},
           {PasswordHash::make("openbox", 1000), true},
           {PasswordHash::make("secret", 1000), false},
           {"secret", false},
           {"", true}}) {
    setString(Root::Machine, keys::Password, "title2", text);
    subsystems().loader.GetConfig();
    EXPECT_EQ(hintShown(), hint) << text;
  }
  state().ConfigUnlocked = true;
  config().cmdpassword.click();
  config().txtsetpassword.setText("Secret");
  config().cmdsetpassword.click();
  EXPECT_FALSE(hintShown()) << "a new password ends the hint at once";
}

}  // namespace
}  // namespace tessara::testing
