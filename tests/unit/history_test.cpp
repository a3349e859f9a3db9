// The history: lines the owner can trust, kept in order and within bounds,
// and what the program hands over for them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "history/history_log.h"
#include "tessara7/history/frm_history.h"
#include "tessara7/history/history_view.h"
#include "tests/unit/app_fixture.h"

namespace tessara::testing {
namespace {

namespace fs = std::filesystem;

class HistoryLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("tessara-history-" + std::to_string(std::random_device{}()));
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  history::HistoryLog log() {
    return history::HistoryLog(folder_, key_, [this](const fs::path& path) {
      ++made_;
      return std::ofstream(path).good();
    });
  }
  static history::Event event(history::Kind kind, std::string detail) {
    return {"2026-12-09T10:00:00Z", "PC\\ann", 1, kind, std::move(detail)};
  }
  std::vector<std::string> linesOf(const fs::path& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  void rewrite(const fs::path& path, const std::vector<std::string>& lines) {
    std::ofstream out(path, std::ios::trunc);
    for (const auto& line : lines) out << line << '\n';
  }
  std::vector<bool> intact(const std::vector<history::Entry>& entries) {
    std::vector<bool> flags;
    for (const auto& entry : entries) flags.push_back(entry.intact);
    return flags;
  }

  fs::path folder_;
  std::vector<std::uint8_t> key_ = std::vector<std::uint8_t>(32, 0x5A);
  int made_ = 0;
};

TEST_F(HistoryLogTest, AChangedOrRemovedLineBreaksTheChainWhereItHappened) {
  {
    auto history = log();
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(history.append(event(history::Kind::Locked, "\"W" + std::to_string(i) + "\"")));
  }
  // A later run of the service goes on with the same chain.
  auto history = log();
  ASSERT_TRUE(history.append(event(history::Kind::Exit, "")));
  auto entries = history.read();
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(intact(entries), (std::vector<bool>{true, true, true, true}));
  EXPECT_EQ(entries[1].event.detail, "\"W1\"");
  EXPECT_EQ(entries[3].event.kind, history::Kind::Exit);

  const fs::path file = history.pathOf(0);
  auto lines = linesOf(file);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(std::count(lines[0].begin(), lines[0].end(), '\t'), 5) << lines[0];

  // Edited by hand: that line alone.
  auto edited = lines;
  edited[1].replace(edited[1].find("W1"), 2, "W9");
  rewrite(file, edited);
  EXPECT_EQ(intact(history.read()), (std::vector<bool>{true, false, true, true}));
  // Removed: the line after it.
  auto removed = lines;
  removed.erase(removed.begin() + 1);
  rewrite(file, removed);
  EXPECT_EQ(intact(history.read()), (std::vector<bool>{true, false, true}));
  // The first line removed: the new first line no longer starts a chain.
  rewrite(file, {lines.begin() + 1, lines.end()});
  EXPECT_EQ(intact(history.read()), (std::vector<bool>{false, true, true}));
  // A line cut short by a full disk: the next one starts on a line of its own.
  rewrite(file, lines);
  {
    std::ofstream cut(file, std::ios::app);
    cut << lines[3].substr(0, 30);
  }
  ASSERT_TRUE(log().append(event(history::Kind::Started, "")));
  entries = history.read();
  ASSERT_EQ(entries.size(), 6u);
  EXPECT_FALSE(entries[4].readable);
  EXPECT_EQ(entries[5].event.kind, history::Kind::Started);
  // A line that is no line at all.
  rewrite(file, {lines[0], "rubbish", lines[2], lines[3]});
  entries = history.read();
  EXPECT_FALSE(entries[1].readable);
  EXPECT_EQ(entries[1].event.detail, "rubbish");
  EXPECT_EQ(intact(entries), (std::vector<bool>{true, false, true, true}));
}

TEST_F(HistoryLogTest, RollsOverAtAMegabyteKeepingFourAndClearLeavesOneLine) {
  auto history = log();
  const std::string detail(history::MaxDetailBytes, 'x');
  const int perFile = static_cast<int>(history::RollBytes / (detail.size() + 120));
  for (int i = 0; i < perFile * 6; ++i) ASSERT_TRUE(history.append(event(history::Kind::Locked, detail)));
  for (int rolled = 0; rolled <= history::KeptRolled; ++rolled) {
    ASSERT_TRUE(fs::exists(history.pathOf(rolled))) << rolled;
    EXPECT_LE(fs::file_size(history.pathOf(rolled)), history::RollBytes);
  }
  EXPECT_FALSE(fs::exists(folder_ / "history.5.log"));
  EXPECT_EQ(made_, 6) << "each new file is made by the caller, with its access";
  // The oldest line kept follows lines rolled away: its link cannot be checked.
  const auto entries = history.read();
  EXPECT_GT(entries.size(), static_cast<std::size_t>(perFile * 4));
  for (const auto& entry : entries) ASSERT_TRUE(entry.intact);

  ASSERT_TRUE(history.clear(event(history::Kind::Cleared, "by PC\\ann")));
  const auto cleared = history.read();
  ASSERT_EQ(cleared.size(), 1u);
  EXPECT_EQ(cleared[0].event.kind, history::Kind::Cleared);
  EXPECT_TRUE(cleared[0].intact);
  EXPECT_FALSE(fs::exists(history.pathOf(1)));
}

TEST(HistoryFields, NoFieldCanAddAFieldOrALineAndADetailIsCutAtACharacter) {
  EXPECT_EQ(history::cleanField("a\tb\r\nc"), "a b  c");
  const std::string euros = std::string(history::MaxDetailBytes - 1, 'x') + "\xE2\x82\xAC";
  EXPECT_EQ(history::cleanField(euros), std::string(history::MaxDetailBytes - 1, 'x'));
  const history::Event event{"t", "u\tv", 2, history::Kind::Apply, "scope\nlock list"};
  EXPECT_EQ(history::lineBody(event), "t\tu v\t2\tApply\tscope lock list");
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

TEST_F(HistoryEventsTest, WithoutAServiceTheEventsAreShownForThisRunAndSaidNotToBeKept) {
  start();
  config().chkLockIE.setChecked(true);
  app().history().record(history::Kind::Export, "to D:\\");
  const auto lines = app().history().lines();
  EXPECT_FALSE(lines.kept);
  ASSERT_EQ(lines.entries.size(), 2u);
  EXPECT_EQ(lines.entries[0].event.kind, history::Kind::Started);
  EXPECT_EQ(lines.entries[1].event.detail, "to D:\\");
  sim.guard.installed = true;
  EXPECT_TRUE(app().history().clear());
  EXPECT_EQ(app().history().lines().entries.size(), 1u);
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

TEST(HistoryRows, ALineWhoseChainDoesNotHoldIsShownAsChanged) {
  const std::vector<history::Entry> entries{
      {{"t1", "PC\\ann", 1, history::Kind::Started, ""}, true, true},
      {{"t2", "PC\\ann", 1, history::Kind::Exit, ""}, true, false},
      {{{}, {}, 0, history::Kind::Started, "garbage"}, false, false}};
  EXPECT_EQ(historyRows(entries, std::nullopt),
            (std::vector<std::string>{"Changed or removed outside Tessara:  garbage",
                                      "Changed or removed outside Tessara:  t2   PC\\ann (session 1)   Exit",
                                      "t1   PC\\ann (session 1)   Program started"}));
  EXPECT_EQ(historyRows(entries, history::Kind::Started).size(), 2u) << "an unreadable line shows under every kind";
}

}  // namespace
}  // namespace tessara::testing
