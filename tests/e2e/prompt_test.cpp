// The master password prompt in front of the configuration, a new master password, and
// the lock list edited in the unlocked configuration window, all through tessara7's windows.
#include <optional>

#include "tests/e2e/lock_helpers.h"
#include "tests/e2e/tessara_driver.h"

namespace e2e {
namespace {

class PromptTest : public E2eTest {
 protected:
  void SetUp() override {
    E2eTest::SetUp();
    if (HasFatalFailure()) return;
    program_.emplace("tessara7");
    ASSERT_TRUE(program_->started());
    main_ = waitForMainWindow();
    ASSERT_NE(main_, nullptr) << "no \"Tessara 7\" window within 10 s";
  }

  // The notice window once it shows this text, or nullptr.
  HWND noticeSaying(const std::string& text) {
    HWND notice = waitForVisibleWindow(kNoticeClass, 3000);
    if (!notice || waitForAnswer(notice, "Label1.caption", text) != text) return nullptr;
    return notice;
  }

  std::optional<Program> program_;
  HWND main_ = nullptr;
};

TEST_F(PromptTest, ConfigureAsksForThePasswordAndTheDefaultOpensInAnyCase) {
  HWND prompt = openPrompt(main_);
  ASSERT_NE(prompt, nullptr) << "no visible prompt titled \"Restrictions\"";
  EXPECT_EQ(windowClass(prompt), kPromptClass);
  EXPECT_EQ(processOf(prompt), program_->pid());
  EXPECT_EQ(query(prompt, "lblProgram.caption"), "Configuration");
  EXPECT_EQ(query(prompt, "lblPWD.caption"), "Password:");
  EXPECT_EQ(query(prompt, "form.topmost"), "1");
  EXPECT_NE(GetWindowLongPtrW(prompt, GWL_EXSTYLE) & WS_EX_TOPMOST, 0) << "the real window is topmost";
  EXPECT_FALSE(isVisible(main_)) << "nothing opens before the password";

  ASSERT_TRUE(submitPassword(prompt, "oPeNbOx"));
  ASSERT_TRUE(waitUntil(5000, [&] { return isVisible(main_); })) << "the configuration did not open";
  EXPECT_EQ(query(main_, "form.visible"), "1");
  EXPECT_TRUE(waitUntil(3000, [&] { return !IsWindow(prompt) || !IsWindowVisible(prompt); }))
      << "the prompt stays after the right password";
  EXPECT_EQ(waitForAnswer(main_, "form.caption", kMainTitle), kMainTitle);
  EXPECT_EQ(countTopLevelWindows(kMainTitle), 1);
}

TEST_F(PromptTest, WrongPasswordsAreRefusedTheFifthLocksTheBoxAndTheNextPromptWaitsToo) {
  HWND prompt = openPrompt(main_);
  ASSERT_NE(prompt, nullptr);

  for (int attempt = 1; attempt <= 4; ++attempt) {
    SCOPED_TRACE("wrong password " + std::to_string(attempt));
    ASSERT_TRUE(submitPassword(prompt, "wrong" + std::to_string(attempt)));
    EXPECT_EQ(waitForAnswer(prompt, "lblPWD.caption", "Password, wrong:"), "Password, wrong:");
    EXPECT_TRUE(isVisible(prompt));
    EXPECT_EQ(query(prompt, "txtPass.enabled"), "1");
    EXPECT_EQ(query(main_, "form.visible"), "0");
  }
  ASSERT_TRUE(submitPassword(prompt, "wrong5"));
  EXPECT_EQ(waitForAnswer(prompt, "txtPass.enabled", "0"), "0");
  EXPECT_EQ(query(prompt, "cmdok.enabled"), "0");
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(prompt, idOf("txtPass")))) << "the real box is greyed";
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(prompt, idOf("cmdok"))));
  EXPECT_TRUE(isVisible(prompt));
  EXPECT_FALSE(isVisible(main_));

  ASSERT_TRUE(clickButton(prompt, idOf("cmdCancelPWD")));
  EXPECT_TRUE(waitUntil(3000, [&] { return !IsWindow(prompt) || !IsWindowVisible(prompt); }))
      << "Cancel does not close the prompt";
  EXPECT_FALSE(isVisible(main_));
  EXPECT_TRUE(program_->running()) << "Cancel of the configuration prompt ends nothing";

  // A new prompt does not start the count over: it waits out the same 30 s.
  HWND next = openPrompt(main_);
  ASSERT_NE(next, nullptr);
  EXPECT_EQ(query(next, "txtPass.enabled"), "0");
  EXPECT_EQ(query(next, "cmdok.enabled"), "0");
  EXPECT_NE(query(next, "lblDefaultPass.caption").value_or("").find("Try again in"), std::string::npos);
  ASSERT_TRUE(submitPassword(next, "openbox"));
  EXPECT_FALSE(waitUntil(2000, [&] { return isVisible(main_); })) << "the wait let a password through";
}

// Another user of the computer can read the store (HKEY_LOCAL_MACHINE); what
// they read there is a salted hash, not the password.
TEST_F(PromptTest, NewMasterPasswordIsStoredAsAHashAndReplacesTheDefault) {
  ASSERT_TRUE(unlockConfiguration(main_));

  ASSERT_TRUE(clickButton(main_, idOf("cmdpassword")));
  ASSERT_EQ(waitForAnswer(main_, "txtsetpassword.visible", "1"), "1");
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(main_, idOf("txtsetpassword"))));
  ASSERT_TRUE(setText(main_, idOf("txtsetpassword"), "NewSecret"));
  ASSERT_TRUE(clickButton(main_, idOf("cmdsetpassword")));

  HWND notice = noticeSaying("Master password set.");
  ASSERT_NE(notice, nullptr) << "no notice saying the password was set";
  EXPECT_EQ(windowText(notice), kNoticeTitle);
  const std::string stored = RegistryFixture::readString(Root::Machine, "Software\\TSR\\PWD", "title2").value_or("");
  // "$pbkdf2-sha256$<count>$<salt>$<hash>": 16 bytes of salt and 32 of hash in hex.
  std::vector<std::string> parts;
  for (std::size_t at = 0, next = 0; next != std::string::npos; at = next + 1)
    parts.push_back(stored.substr(at, (next = stored.find('$', at)) == std::string::npos ? next : next - at));
  ASSERT_EQ(parts.size(), 5u) << stored;
  EXPECT_EQ(parts[1], "pbkdf2-sha256");
  EXPECT_GT(std::stoul(parts[2]), 10000u) << "a slow hash";
  EXPECT_EQ(parts[3].size(), 32u);
  EXPECT_EQ(parts[4].size(), 64u);
  for (const char* password : {"newsecret", "NewSecret", "NEWSECRET"})
    EXPECT_EQ(stored.find(password), std::string::npos) << "the password can be read from the store";
  EXPECT_FALSE(RegistryFixture::readString(Root::User, "Software\\TSR\\PWD", "title2").has_value());
  EXPECT_EQ(query(main_, "txtsetpassword.visible"), "0");
  dismissNotice();

  // Close the configuration; it locks again.
  ASSERT_TRUE(clickButton(main_, idOf("cmdCancel")));
  ASSERT_TRUE(waitUntil(3000, [&] { return !isVisible(main_); }));

  HWND prompt = openPrompt(main_);
  ASSERT_NE(prompt, nullptr);
  ASSERT_TRUE(submitPassword(prompt, "openbox"));
  EXPECT_EQ(waitForAnswer(prompt, "lblPWD.caption", "Password, wrong:"), "Password, wrong:")
      << "the default password still opens";
  EXPECT_FALSE(isVisible(main_));
  ASSERT_TRUE(submitPassword(prompt, "NEWSECRET"));
  EXPECT_TRUE(waitUntil(5000, [&] { return isVisible(main_); })) << "the new password is refused";
}

class LockListTest : public PromptTest {};

TEST_F(LockListTest, ShortNamesAreRefusedWithANoticeAndLongerOnesJoinTheList) {
  ASSERT_TRUE(unlockConfiguration(main_));
  HWND list = GetDlgItem(main_, idOf("lstProgram"));
  ASSERT_NE(list, nullptr);
  const auto before = query(main_, "lstProgram.items");
  ASSERT_TRUE(before.has_value());
  const std::size_t count = splitLines(*before).size();
  ASSERT_EQ(count, 25u);

  // Characters are counted, not the bytes of their UTF-8 text.
  for (const char* shortName : {"ab", "\xE4\xB8\xAD", "\xC3\xA9\xE4\xB8\xAD", "\xF0\x9F\x98\x80\xF0\x9F\x98\x80"}) {
    SCOPED_TRACE(shortName);
    ASSERT_TRUE(setText(main_, idOf("txtTask"), shortName));
    ASSERT_TRUE(clickButton(main_, idOf("cmdAdd")));
    EXPECT_NE(noticeSaying("Please type a Task Name that's more than 2 characters. Or, click Browse to "
                           "select from running tasks."),
              nullptr);
    EXPECT_EQ(query(main_, "lstProgram.items"), before) << "the short name was added";
    EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), static_cast<LRESULT>(count));
    dismissNotice();
  }

  ASSERT_TRUE(setText(main_, idOf("txtTask"), "abc"));
  ASSERT_TRUE(clickButton(main_, idOf("cmdAdd")));
  std::vector<std::string> items;
  ASSERT_TRUE(waitUntil(3000, [&] {
    items = splitLines(query(main_, "lstProgram.items").value_or(""));
    return items.size() == count + 1;
  })) << "abc was not added";
  EXPECT_EQ(items.back(), "abc");
  EXPECT_EQ(splitLines(query(main_, "lstProgram.checks").value_or("")).back(), "0") << "added unticked";
  EXPECT_EQ(query(main_, "txtTask.text"), "") << "the task box is emptied";
  EXPECT_EQ(FindWindowW(widen(kNoticeClass).c_str(), nullptr), nullptr) << "no notice for a good name";

  // The list box on the screen shows it too.
  ASSERT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), static_cast<LRESULT>(count + 1));
  const LRESULT last = static_cast<LRESULT>(count);
  const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, last, 0);
  ASSERT_EQ(length, 3);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  SendMessageW(list, LB_GETTEXT, last, reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(length));
  EXPECT_EQ(narrow(text), "abc");
  EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), last) << "the new entry is highlighted";

  // Nothing is stored before Apply.
  EXPECT_FALSE(RegistryFixture::keyExists(Root::Machine, "SOFTWARE\\TSR\\Windows25"));
  EXPECT_FALSE(RegistryFixture::keyExists(Root::Machine, "SOFTWARE\\TSR\\Windows0"));
}

// --- The prompt at the next lock -------------------------------------------------

class PromptAtLockTest : public E2eTest {};

// A prompt minimised while it waits for a locked window comes back, restored
// and in front, when the next window is locked.
TEST_F(PromptAtLockTest, AMinimisedPromptComesBackInFrontAtTheNextLock) {
  lock::storeLockRow(0, "Ledger");
  lock::storeLockRow(1, "Payroll");
  lock::RunningTessara tessara;
  ASSERT_NE(tessara.window, nullptr);

  OwnedWindow ledger = lock::makeWindow("E2eLockedWindow", "Ledger 2024", true);
  ASSERT_TRUE(ledger);
  ASSERT_TRUE(waitUntil(lock::kSettleMs, [&] { return lock::isLockedAway(ledger.get()); })) << "not locked";
  HWND prompt = lock::waitForPrompt();
  ASSERT_NE(prompt, nullptr);
  EXPECT_EQ(lock::promptSubject(prompt), "Ledger 2024");

  ASSERT_TRUE(PostMessageW(prompt, WM_SYSCOMMAND, SC_MINIMIZE, 0));
  ASSERT_TRUE(waitUntil(3000, [&] { return IsIconic(prompt) != FALSE; })) << "the prompt did not minimise";
  // Nothing but the next lock brings it back.
  EXPECT_TRUE(holdsFor(1500, [&] { return IsIconic(prompt) != FALSE; })) << "it came back by itself";

  OwnedWindow payroll = lock::makeWindow("E2eLockedWindow", "Payroll", true);
  ASSERT_TRUE(payroll);
  EXPECT_TRUE(waitUntil(lock::kSettleMs, [&] { return lock::isLockedAway(payroll.get()); })) << "not locked";
  EXPECT_TRUE(waitUntil(lock::kSettleMs, [&] {
    return lock::visiblePrompt() == prompt && !IsIconic(prompt) && GetForegroundWindow() == prompt;
  })) << "prompt shown " << isVisible(prompt) << ", iconic " << IsIconic(prompt) << ", in front "
      << (GetForegroundWindow() == prompt);
  EXPECT_TRUE(GetWindowLongPtrW(prompt, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_TRUE(lock::isLockedAway(ledger.get())) << "the first window stays locked meanwhile";

  // It takes the password as before.
  ASSERT_TRUE(lock::enterPassword(prompt, lock::kMasterPassword));
  EXPECT_TRUE(waitUntil(lock::kSettleMs, [&] {
    return lock::isReleased(payroll.get()) || lock::isReleased(ledger.get());
  })) << "the password released neither window";
}

}  // namespace
}  // namespace e2e
