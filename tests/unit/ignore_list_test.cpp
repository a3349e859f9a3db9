// The ignore list alone, without the configuration window: what it ignores,
// its titles in the store and back, and lstignore showing them.
#include "tessara7/locking/ignore_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/form.h"
#include "platform/sim/sim_clock.h"
#include "platform/sim/sim_registry.h"
#include "tessara7/settings/store_keys.h"

namespace tessara {
namespace {

using platform::Root;
using Titles = std::vector<std::string>;

class DebugPage : public forms::Form {
 public:
  explicit DebugPage(forms::Runtime& runtime) : Form(runtime, "frmDebug", "Debug") {}
  forms::ListBox lstignore{*this, "lstignore"};
};

class IgnoreListTest : public ::testing::Test, public IgnoreList::Host {
 protected:
  void showIgnoreWindow() override {}

  std::string stored(int n) { return registry.GetStringValue(Root::Machine, keys::Ignore, "Program" + std::to_string(n)); }
  void plant(const std::string& name, const std::string& title) {
    sim.writeString(Root::Machine, keys::Ignore, name, title);
  }

  platform::sim::SimClock clock;
  forms::Runtime runtime{clock, nullptr, [](const std::string& error) { ADD_FAILURE() << error; }, {}};
  DebugPage page{runtime};
  platform::sim::SimRegistry sim;
  RegistryAccess registry{sim};
  IgnoreList list{*this, registry, page.lstignore};
};

// The owner's whole path: a title ignored from the prompt is stored at once,
// a fresh list (the next start) loads it, and once forgotten the store
// written from the list no longer holds it.
TEST_F(IgnoreListTest, AnIgnoredTitleIsStoredLoadedAgainAndForgotten) {
  list.ignore("Untitled - Notepad");
  list.ignore("Größe – Editor");
  EXPECT_EQ(stored(0), "Untitled - Notepad");
  EXPECT_EQ(stored(1), "Größe – Editor");

  DebugPage nextRun{runtime};
  IgnoreList fresh{*this, registry, nextRun.lstignore};
  fresh.load();
  EXPECT_TRUE(fresh.ignores("Größe – Editor"));
  EXPECT_EQ(nextRun.lstignore.items(), (Titles{"Untitled - Notepad", "Größe – Editor"}));

  fresh.forget("Untitled - Notepad");
  EXPECT_FALSE(fresh.ignores("Untitled - Notepad"));
  EXPECT_EQ(nextRun.lstignore.items(), Titles{"Größe – Editor"});
  fresh.store();
  EXPECT_EQ(sim.valueNames(Root::Machine, keys::Ignore), Titles{"Program0"});
  EXPECT_EQ(stored(0), "Größe – Editor");
}

TEST_F(IgnoreListTest, OnlyTheWholeTitleInItsCaseIsIgnored) {
  list.add("Untitled - Notepad");
  EXPECT_TRUE(list.ignores("Untitled - Notepad"));
  for (const char* other : {"untitled - notepad", "Untitled - Notepad ", "Untitled", "Untitled - Notepad!", ""})
    EXPECT_FALSE(list.ignores(other)) << other;
  list.forget("UNTITLED - NOTEPAD");
  EXPECT_TRUE(list.ignores("Untitled - Notepad")) << "forgetting is case-sensitive too";
}

TEST_F(IgnoreListTest, ARunOnlyTitleReachesTheStoreOnlyWhenTheListIsStored) {
  list.add("Calculator");
  EXPECT_TRUE(list.ignores("Calculator"));
  EXPECT_EQ(page.lstignore.items(), Titles{"Calculator"});
  EXPECT_FALSE(sim.keyExists(Root::Machine, keys::Ignore));
  list.store();
  EXPECT_EQ(stored(0), "Calculator");
}

// A title stored twice stays ignored until both entries are forgotten, one
// at a time, as the "Ignore List" window removes them.
TEST_F(IgnoreListTest, DuplicatesAreKeptAndForgottenOneAtATime) {
  plant("Program0", "Paint");
  plant("Program1", "Notepad");
  plant("Program2", "Paint");
  list.load();
  list.forget("Paint");
  EXPECT_TRUE(list.ignores("Paint"));
  EXPECT_EQ(page.lstignore.items(), (Titles{"Notepad", "Paint"})) << "the first entry went";
  list.forget("Paint");
  EXPECT_FALSE(list.ignores("Paint"));
  list.forget("Paint");  // no entry left: nothing happens
  EXPECT_EQ(list.titles(), Titles{"Notepad"});
  EXPECT_EQ(page.lstignore.items(), Titles{"Notepad"});
}

TEST_F(IgnoreListTest, LoadAddsToTheTitlesOfTheRunAndClearEmptiesBoth) {
  list.add("This run");
  plant("Program0", "Stored");
  list.load();
  EXPECT_EQ(list.titles(), (Titles{"This run", "Stored"}));
  EXPECT_EQ(page.lstignore.items(), list.titles());
  list.clear();
  EXPECT_FALSE(list.ignores("Stored"));
  EXPECT_EQ(page.lstignore.count(), 0);
}

TEST_F(IgnoreListTest, StoringRenumbersFromZeroAndAnEmptyListKeepsTheKeyOnlyWhenAsked) {
  for (int n : {0, 1, 2, 7}) plant("Program" + std::to_string(n), "Old " + std::to_string(n));
  list.load();
  list.forget("Old 1");
  list.store();
  EXPECT_EQ(sim.valueNames(Root::Machine, keys::Ignore), (Titles{"Program0", "Program1", "Program2"}));
  EXPECT_EQ(stored(2), "Old 7");
  list.clear();
  list.store();
  EXPECT_TRUE(sim.keyExists(Root::Machine, keys::Ignore));
  EXPECT_EQ(sim.valueNames(Root::Machine, keys::Ignore), Titles{});
  list.store(false);
  EXPECT_FALSE(sim.keyExists(Root::Machine, keys::Ignore));
}

TEST_F(IgnoreListTest, SkipsGapsAndReadsUpToProgram999) {
  plant("Program0", "First");
  plant("Program2", "Third");
  plant("Program3", "");
  plant("Program999", "Last");
  plant("Program1000", "Too far");
  list.load();
  EXPECT_EQ(page.lstignore.items(), (Titles{"First", "Third", "Last"}));
}

TEST_F(IgnoreListTest, TakesItsNumberedTitlesInNumberOrderWhateverTheNamesCase) {
  // Read in one go as the key lists them; the numbers decide the order.
  plant("PROGRAM10", "Tenth");
  plant("program2", "Second");
  plant("Program05", "Leading zero: no number");
  plant("Programme4", "Another name");
  sim.writeDword(Root::Machine, keys::Ignore, "Program3", 3);
  plant("Program1", "First");
  list.load();
  EXPECT_EQ(page.lstignore.items(), (Titles{"First", "Second", "Tenth"}));
}

}  // namespace
}  // namespace tessara
