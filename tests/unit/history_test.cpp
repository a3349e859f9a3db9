// The history: lines the owner can trust, kept in order and within bounds,
// and the window that shows them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "history/history_log.h"
#include "platform/sim/sim_platform.h"
#include "tessara7/history/frm_history.h"
#include "tessara7/history/history_view.h"

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

// The history window alone, on the simulated platform and a history queue
// of its own: the owner reads the lines newest first, one kind at a time,
// exports them as CSV, and clears them with the password.
class Prompt : public PromptFace {
 public:
  void hide() override {}
  platform::WindowHandle owner() const override { return 0; }
  void say(const std::string&) override {}
  bool takeIgnoreTick() override { return false; }
};

class FrmHistoryTest : public ::testing::Test, public FrmHistory::Host {
 protected:
  void showNotice(std::string text) override { notices.push_back(std::move(text)); }
  void requestPassword(PasswordRequest request) override { asked.push_back(std::move(request)); }
  FrmHistory* openHistory() override { return window.get(); }

  void open() {
    window = std::make_unique<FrmHistory>(*this, FrmHistory::Parts{runtime, sim.get(), queue});
    window->show();
  }
  void recordThree() {
    sim.guard.installed = true;
    queue.record(history::Kind::Locked, "\"Ledger, \"Q4\"\"");
    queue.record(history::Kind::PasswordWrong, "for a locked window");
    queue.record(history::Kind::Locked, "\"Notepad\"");
    queue.flush();
  }
  void grantLast() {
    ASSERT_FALSE(asked.empty());
    Prompt prompt;
    asked.back().granted({"openbox", prompt});
  }

  platform::sim::SimPlatform sim;
  forms::Runtime runtime{sim.clock, nullptr, [](const std::string& error) { ADD_FAILURE() << error; }, {}};
  HistoryQueue queue{sim.guard};
  std::unique_ptr<FrmHistory> window;
  std::vector<std::string> notices;
  std::vector<PasswordRequest> asked;
};

TEST_F(FrmHistoryTest, ShowsTheLinesNewestFirstOneKindAtATimeAndExportsTheKindShown) {
  recordThree();
  open();
  EXPECT_FALSE(window->lblNotKept.visible());
  ASSERT_EQ(window->lstEvents.count(), 3);
  EXPECT_NE(window->lstEvents.item(0).find("Window locked:  \"Notepad\""), std::string::npos) << "newest first";
  window->lstKinds.userSelect(3);  // Password wrong
  ASSERT_EQ(window->lstEvents.count(), 1);
  EXPECT_NE(window->lstEvents.item(0).find("Password wrong"), std::string::npos);

  window->lstKinds.userSelect(1);  // Window locked
  sim.files.addFolder("C:\\Users\\ann");
  sim.files.addFile("C:\\Users\\ann\\history.csv", "an older export");
  sim.shell.queueBrowseAnswer("C:\\Users\\ann\\history.csv");
  window->cmdExport.click();
  EXPECT_EQ(sim.files.content("C:\\Users\\ann\\history.csv"),
            "\xEF\xBB\xBFTime,User,Session,Event,Detail,Chain\r\n"
            "\"2026-01-01T00:00:00Z\",\"PC\\owner\",1,\"Window locked\",\"\"\"Notepad\"\"\",\"holds\"\r\n"
            "\"2026-01-01T00:00:00Z\",\"PC\\owner\",1,\"Window locked\",\"\"\"Ledger, \"\"Q4\"\"\"\"\",\"holds\"\r\n");
  EXPECT_TRUE(notices.empty());
}

TEST_F(FrmHistoryTest, AnExportCancelledWritesNothingAndOneThatFailsSaysWhere) {
  recordThree();
  open();
  window->cmdExport.click();  // no answer queued: the dialog was cancelled
  EXPECT_TRUE(notices.empty());
  sim.shell.queueBrowseAnswer("Q:\\gone\\history.csv");
  window->cmdExport.click();
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0], "The history could not be written to Q:\\gone\\history.csv.");
}

TEST_F(FrmHistoryTest, ThisRunsLinesAreSaidNotToBeKept) {
  queue.record(history::Kind::Export, "to D:\\");
  open();
  EXPECT_TRUE(window->lblNotKept.visible());
  ASSERT_EQ(window->lstEvents.count(), 1);
  EXPECT_NE(window->lstEvents.item(0).find("to D:\\"), std::string::npos);
}

TEST_F(FrmHistoryTest, ClearWaitsForThePasswordThenClearsTheWindowShownOrTheHistoryAlone) {
  recordThree();
  open();
  window->cmdClear.click();
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].action, Action::ClearHistory);
  EXPECT_EQ(asked[0].title, "Clear the History");
  EXPECT_EQ(sim.guard.recorded().size(), 3u) << "cleared before the password";
  grantLast();
  ASSERT_EQ(sim.guard.recorded().size(), 1u);
  EXPECT_EQ(sim.guard.recorded()[0].kind, history::Kind::Cleared);
  EXPECT_EQ(window->lstEvents.count(), 1) << "the window showed the lines cleared";

  // The window closed before the password was given: the history still goes.
  queue.record(history::Kind::Locked, "\"Notepad\"");
  queue.flush();
  window->cmdClear.click();
  window.reset();
  grantLast();
  EXPECT_EQ(sim.guard.recorded().size(), 1u);
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
