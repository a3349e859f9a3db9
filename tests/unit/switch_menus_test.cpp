// The switch items built from a restriction catalogue: a row added to a
// catalogue is shown, bound, loaded and flipped with nothing else to edit.
#include "tessara7/restrictions/switch_menus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <span>
#include <string>
#include <vector>

#include "platform/sim/sim_clock.h"
#include "platform/sim/sim_registry.h"
#include "tessara7/restrictions/switches.h"
#include "tessara7/settings/registry_access.h"
#include "tessara7/settings/store_keys.h"

namespace tessara {
namespace testing {
namespace {

using catalogue::Menu;

std::vector<std::string> namesOf(const forms::MenuItem& menu) {
  std::vector<std::string> names;
  for (const auto& item : menu.items()) names.push_back(item->name());
  return names;
}

// --- A catalogue with rows added -------------------------------------------------

constexpr catalogue::Section kPrintingSection{"mprinting", "Printing:"};

std::vector<catalogue::Switch> catalogueWith(std::initializer_list<catalogue::Switch> added) {
  std::vector<catalogue::Switch> rows(catalogue::switches().begin(), catalogue::switches().end());
  rows.insert(rows.end(), added);
  return rows;
}

class MenusForm : public forms::Form {
 public:
  MenusForm(forms::Runtime& runtime, std::span<const catalogue::Switch> rows) : Form(runtime, "frmMenus", "Menus") {
    addSwitchItems(addMenu("mSettings", "Settings"), Menu::Settings, rows);
    addSwitchItems(addMenu("mTweaks", "Tweaks"), Menu::Tweaks, rows);
    addSwitchItems(addMenu("mAdvanced", "Advanced"), Menu::Advanced, rows);
  }
  forms::CheckBox chkContextMenu{*this, "chkContextMenu", "Explorer menu"};
};

class AddedRowsTest : public ::testing::Test {
 protected:
  platform::sim::SimClock clock;
  forms::Runtime runtime{clock, nullptr, [](const std::string& error) { ADD_FAILURE() << error; }, {}};
  platform::sim::SimRegistry registry;
  RegistryAccess access{registry};
};

TEST_F(AddedRowsTest, ARowAtTheEndJoinsItsSectionAndIsBoundLoadedAndFlipped) {
  const auto rows = catalogueWith({{"chkNoClock", {Menu::Tweaks, &catalogue::kWindowsSection, "Hide the Clock"},
                                    catalogue::Encoding::PolicyDword, catalogue::Where::Scope,
                                    keys::ExplorerPolicies, "HideClock"}});
  MenusForm form(runtime, rows);
  const forms::MenuItem& tweaks = *form.findMenu("mTweaks");
  const auto names = namesOf(tweaks);
  const auto at = std::ranges::find(names, "chkNoClock") - names.begin();
  ASSERT_LT(at, std::ssize(names));
  EXPECT_EQ(names[at - 1], "chkRun") << "after the last row of its section";
  EXPECT_TRUE(tweaks.items()[at + 1]->separator()) << "before the next section's line";
  EXPECT_EQ(tweaks.items()[at]->caption(), "  Hide the Clock");

  RestrictionSwitches switches(form, form.chkContextMenu, rows);
  registry.writeDword(platform::Root::User, keys::ExplorerPolicies, "HideClock", 1);
  switches.loadPolicyTicks(access, platform::Root::User);
  forms::MenuItem& item = *form.findMenu("chkNoClock");
  EXPECT_TRUE(item.checked());
  EXPECT_TRUE(switches.on(rows.back()));
  EXPECT_FALSE(form.findMenu("chkDesktop")->checked());
  switches.flipTicksOnClick();
  item.click();
  EXPECT_FALSE(switches.on(rows.back()));
}

TEST_F(AddedRowsTest, RowsOfANewSectionOpenItAfterItsLineAtTheMenuEnd) {
  const auto rows = catalogueWith({
      {"chkLockPrinters", {Menu::Advanced, &kPrintingSection, "Lock Printer Settings", true},
       catalogue::Encoding::Flag, catalogue::Where::Scope, keys::Settings, "LockPrinters"},
      {"chkLockFax", {Menu::Advanced, &kPrintingSection, "Lock Fax"}, catalogue::Encoding::Flag,
       catalogue::Where::Scope, keys::Settings, "LockFax"},
  });
  MenusForm form(runtime, rows);
  auto advanced = namesOf(*form.findMenu("mAdvanced"));
  ASSERT_GE(advanced.size(), 4u);
  EXPECT_EQ(std::vector<std::string>(advanced.end() - 4, advanced.end()),
            (std::vector<std::string>{"mAdvancedSep2", "mprinting", "chkLockPrinters", "chkLockFax"}));
  EXPECT_EQ(form.findMenu("mprinting")->caption(), "Printing:");
  EXPECT_TRUE(form.findMenu("mAdvancedSep2")->separator());
  EXPECT_EQ(form.findMenu("chkLockFax")->caption(), "  Lock Fax");
  EXPECT_NO_THROW(RestrictionSwitches(form, form.chkContextMenu, rows));
}

}  // namespace
}  // namespace testing
}  // namespace tessara
