// Explorer's Encrypt and Decrypt on the program's side: the click message
// as hostile input, the menu object the load creates and registers, and a
// click of several items becoming one run each, with and without the prompt.
#include <algorithm>

#include "shared/explorer_menu_message.h"
#include "shared/names.h"
#include "tessara7/common/text.h"
#include "tests/unit/app_fixture.h"

namespace tessara::testing {
namespace {

const std::string kClasses = "Software\\Classes";
const std::string kClassKey = kClasses + "\\CLSID\\" + names::ExplorerMenuClsid;

std::vector<std::byte> message(std::u16string caption, std::vector<std::u16string> paths) {
  return explorer_menu::encode({std::move(caption), std::move(paths)});
}

TEST(ExplorerMenuMessage, RoundTripsForeignPathsAndRefusesEveryMalformedMessage) {
  const std::u16string foreign = u"C:\\Données\\文件 \U0001F512.txt";
  const auto good = message(u"Encrypt", {foreign, u"D:\\"});
  const auto click = explorer_menu::decode(good);
  ASSERT_TRUE(click);
  EXPECT_EQ(click->caption, u"Encrypt");
  EXPECT_EQ(click->paths, (std::vector<std::u16string>{foreign, u"D:\\"}));
  EXPECT_EQ(utf8FromUtf16(foreign), "C:\\Données\\文件 \xF0\x9F\x94\x92.txt");

  // Every cut, every extra byte, every flipped byte of the header.
  for (std::size_t size = 0; size < good.size(); ++size)
    EXPECT_FALSE(explorer_menu::decode(std::span(good).first(size))) << "cut at " << size;
  auto longer = good;
  longer.push_back(std::byte{0});
  EXPECT_FALSE(explorer_menu::decode(longer));
  for (std::size_t at = 0; at < 8; ++at) {
    auto bad = good;
    bad[at] ^= std::byte{0x01};
    EXPECT_FALSE(explorer_menu::decode(bad)) << "header byte " << at;
  }
  // A count far past the data, lengths past the limits, and texts the
  // system would cut short or misread.
  for (const std::uint32_t count : {2u, 16000u, 0xFFFFFFFFu}) {
    auto wrongCount = message(u"Encrypt", {u"a"});
    for (int i = 0; i < 4; ++i) wrongCount[8 + 4 + 14 + i] = static_cast<std::byte>((count >> (8 * i)) & 0xFF);
    EXPECT_FALSE(explorer_menu::decode(wrongCount)) << count;
  }
  for (const auto& bad : {message(u"Encrypt", {}), message(u"", {u"a"}), message(u"Encrypt", {u""}),
                          message(u"Encrypt", {std::u16string(u"a\0b", 3)}), message(u"Encrypt", {u"\xD800x"}),
                          message(u"Encrypt", {u"x\xDC00"}), message(u"Encrypt", {std::u16string(32768, u'a')}),
                          message(std::u16string(257, u'E'), {u"a"})})
    EXPECT_FALSE(explorer_menu::decode(bad));
  EXPECT_TRUE(explorer_menu::decode(message(u"Encrypt", {std::u16string(32767, u'a')})));
}

class ExplorerMenuTest : public AppTest {
 protected:
  void startWithOption(bool on, bool password) {
    setString(Root::Machine, "Software\\TSR\\Settings", "chkContextMenu", on ? "1" : "0");
    setString(Root::Machine, "Software\\TSR\\Settings", "mEnPwd", password ? "1" : "0");
    start();
    config().txtEnPwd.setText("Page Key");
  }
  void click(const std::string& caption, const std::vector<std::u16string>& paths) {
    subsystems().explorerMenu.received(message(std::u16string(caption.begin(), caption.end()), paths));
  }
  std::vector<std::string> entries() {
    std::vector<std::string> captions;
    for (int i = 0; i < 16; ++i) {
      const std::string caption = getString(Root::User, names::ExplorerMenuEntriesKey, "Entry" + std::to_string(i));
      if (caption == "<absent>") break;
      captions.push_back(caption);
    }
    return captions;
  }
};

TEST_F(ExplorerMenuTest, TheOptionRegistersTheMenuForTheUserAndItsEntriesOutliveUnticking) {
  startWithOption(true, false);
  ContextMenu* menu = subsystems().explorerMenu.contextMenu();
  ASSERT_NE(menu, nullptr);
  EXPECT_TRUE(menu->active());
  EXPECT_EQ(entries(), (std::vector<std::string>{"-", "Encrypt", "Decrypt"}));
  EXPECT_EQ(getString(Root::User, kClassKey + "\\InprocServer32", ""), state().AppFolder + "tsrmenu.dll");
  EXPECT_EQ(getString(Root::User, kClassKey + "\\InprocServer32", "ThreadingModel"), "Apartment");
  for (const char* type : {"*", "Directory", "Drive"})
    EXPECT_EQ(getString(Root::User, kClasses + "\\" + type + "\\shellex\\ContextMenuHandlers\\Tessara7", ""),
              names::ExplorerMenuClsid)
        << type;
  EXPECT_FALSE(sim.registry.keyExists(Root::Machine, kClassKey)) << "no administrator rights needed";

  // Unticked and applied: the entries stay until the program ends.
  unlock();
  config().chkContextMenu.setValue(0);
  config().cmdok.click();
  EXPECT_EQ(getString(Root::Machine, "Software\\TSR\\Settings", "chkContextMenu"), "0");
  ASSERT_NE(subsystems().explorerMenu.contextMenu(), nullptr);
  click("Encrypt", {u"C:\\a.txt"});
  ASSERT_EQ(subsystems().commandRunner.waiting(), 1u);
  EXPECT_EQ(subsystems().commandRunner.queued().front().verb, encryption::Verb::Encrypt);
}

TEST_F(ExplorerMenuTest, WithTheOptionOffNothingIsRegisteredAndClicksAreIgnored) {
  startWithOption(false, false);
  EXPECT_EQ(subsystems().explorerMenu.contextMenu(), nullptr);
  EXPECT_FALSE(sim.registry.keyExists(Root::User, kClassKey));
  click("Encrypt", {u"C:\\a.txt"});
  EXPECT_EQ(subsystems().commandRunner.waiting(), 0u);
  EXPECT_EQ(config().txtPath.text(), "");
}

// Several items become one run each, one after another; the separator, a
// caption the menu does not hold and a malformed message do nothing.
TEST_F(ExplorerMenuTest, SeveralItemsRunOneAfterAnotherWithoutAPrompt) {
  startWithOption(true, false);
  sim.files.addFile("C:\\One\\a.txt", "alpha");
  sim.files.addFile("C:\\Two\\ünï.txt", "beta");
  sim.files.addFile("C:\\b.txt", "gamma");
  for (const char* ignored : {"-", "Delete", "encrypt"}) {
    click(ignored, {u"C:\\b.txt"});
    EXPECT_EQ(subsystems().commandRunner.waiting(), 0u) << ignored;
  }
  auto cut = message(u"Encrypt", {u"C:\\b.txt"});
  cut.pop_back();
  subsystems().explorerMenu.received(cut);
  EXPECT_EQ(config().txtPath.text(), "");

  click("Encrypt", {u"C:\\One", u"C:\\Two", u"C:\\b.txt"});
  EXPECT_EQ(prompt(), nullptr);
  EXPECT_EQ(config().txtPath.text(), "C:\\One");
  sim.clock.advance(1000);  // the first run, the other two wait their turn
  EXPECT_TRUE(sim.files.exists("C:\\One\\a.txt.ts7"));
  EXPECT_FALSE(sim.files.exists("C:\\b.txt.ts7"));
  EXPECT_EQ(subsystems().commandRunner.waiting(), 2u);
  sim.clock.advance(2000);
  EXPECT_TRUE(sim.files.exists("C:\\Two\\ünï.txt.ts7"));
  EXPECT_TRUE(sim.files.exists("C:\\b.txt.ts7"));
  EXPECT_EQ(subsystems().commandRunner.waiting(), 0u);
}

// With the password option on, the prompt comes first: the master password
// for Encrypt (case-insensitive), the files' own password for Decrypt, taken
// with its capitals for every item of the click.
TEST_F(ExplorerMenuTest, ThePromptComesFirstAndTheDecryptionPasswordKeepsItsCase) {
  startWithOption(true, true);
  sim.files.addFile("C:\\x\\a.txt", "alpha");
  sim.files.addFile("C:\\y.txt", "beta");
  config().txtEnPwd.setText("Secret Key");
  click("Encrypt", {u"C:\\x", u"C:\\y.txt"});
  ASSERT_NE(prompt(), nullptr);
  EXPECT_EQ(prompt()->lblProgram.caption(), "Master Password Required:");
  EXPECT_TRUE(prompt()->chksubfolders.visible());
  sim.clock.advance(3000);
  EXPECT_FALSE(sim.files.exists("C:\\y.txt.ts7")) << "nothing runs before the password";
  typePassword("OpenBox");
  sim.clock.advance(2000);
  EXPECT_TRUE(sim.files.exists("C:\\x\\a.txt.ts7"));
  EXPECT_TRUE(sim.files.exists("C:\\y.txt.ts7"));

  config().txtEnPwd.setText("something else");
  click("Decrypt", {u"C:\\x", u"C:\\y.txt.ts7"});
  ASSERT_NE(prompt(), nullptr);
  EXPECT_EQ(prompt()->lblProgram.caption(), "Enter the original encryption password to decrypt file(s).");
  typePassword("Secret Key");
  sim.clock.advance(2000);
  EXPECT_EQ(*sim.files.content("C:\\x\\a.txt"), "alpha");
  EXPECT_EQ(*sim.files.content("C:\\y.txt"), "beta");

  // A click while one of the program's dialogs is open only changes the path.
  session().DialogOpen = true;
  click("Encrypt", {u"C:\\y.txt", u"C:\\x"});
  EXPECT_EQ(prompt(), nullptr);
  EXPECT_EQ(config().txtPath.text(), "C:\\y.txt");
  EXPECT_EQ(pending().PendingAction, Action::None) << "no prompt is left pending";
  EXPECT_EQ(subsystems().commandRunner.waiting(), 0u);
}

}  // namespace
}  // namespace tessara::testing
