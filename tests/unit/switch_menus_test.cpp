// The Settings, Tweaks and Advanced menus built from the restriction
// catalogue: every placed row once, under its menu and section, with its
// caption and separator, in the catalogue's order; and a row added to a
// catalogue is shown, bound, loaded and flipped with nothing else to edit.
#include "tessara7/restrictions/switch_menus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "platform/sim/sim_clock.h"
#include "platform/sim/sim_registry.h"
#include "tessara7/restrictions/switches.h"
#include "tessara7/settings/registry_access.h"
#include "tessara7/settings/store_keys.h"
#include "tessara7/shell/frm_config.h"

namespace tessara::testing {
namespace {

using catalogue::Menu;

std::vector<std::string> namesOf(const forms::MenuItem& menu) {
  std::vector<std::string> names;
  for (const auto& item : menu.items()) names.push_back(item->name());
  return names;
}

int countNamed(const forms::MenuItem& item, std::string_view name) {
  int count = item.name() == name ? 1 : 0;
  for (const auto& child : item.items()) count += countNamed(*child, name);
  return count;
}

// --- The configuration window's menus ------------------------------------------

// The window's menus as the window builds them, on a form of their own.
class CatalogueMenusTest : public ::testing::Test {
 protected:
  forms::MenuItem& item(const std::string& name) {
    forms::MenuItem* found = window.findMenu(name);
    if (!found)
      for (const auto& menu : window.menus())
        if ((found = menu->find(name))) break;
    if (!found) throw std::logic_error("no menu item " + name);
    return *found;
  }
  const forms::MenuItem& menuOf(Menu which) {
    if (which == Menu::Settings) return item("mSettings");
    if (which == Menu::Tweaks) return item("mTweaks");
    return item("mAdvanced");
  }
  int countInWindow(std::string_view name) {
    int count = 0;
    for (const auto& menu : window.menus()) count += countNamed(*menu, name);
    return count;
  }

  platform::sim::SimClock clock;
  forms::Runtime runtime{clock, nullptr, [](const std::string& error) { ADD_FAILURE() << error; }, {}};
  forms::Form window{runtime, "frmConfig", "Tessara 7"};
  forms::MenuItem& mFile = FrmConfig::buildMenus(window);
};

TEST_F(CatalogueMenusTest, EveryPlacedRowIsOneItemUnderItsMenuAndSectionInCatalogueOrder) {
  std::set<std::string> headings;
  for (const auto& row : catalogue::switches())
    if (row.placement.section) headings.insert(std::string(row.placement.section->item));
  ASSERT_FALSE(headings.empty());

  std::map<Menu, std::ptrdiff_t> lastIndex;
  std::set<const catalogue::Section*> opened;
  for (const auto& row : catalogue::switches()) {
    const std::string name(row.control);
    const auto& place = row.placement;
    if (place.menu == Menu::None) {
      EXPECT_EQ(countInWindow(name), 0) << name << " is no menu item";
      continue;
    }
    EXPECT_EQ(countInWindow(name), 1) << name;
    const auto& items = menuOf(place.menu).items();
    const auto names = namesOf(menuOf(place.menu));
    const auto at = std::ranges::find(names, name) - names.begin();
    ASSERT_LT(at, std::ssize(names)) << name << " is not in its menu";
    EXPECT_EQ(items[at]->caption(), (place.section ? "  " : "") + std::string(place.caption)) << name;

    // The nearest heading above the item is its section's (none for a row without one).
    std::string heading;
    for (auto i = at - 1; i >= 0 && heading.empty(); --i)
      if (headings.contains(names[i])) heading = names[i];
    EXPECT_EQ(heading, place.section ? place.section->item : "") << name;

    const bool opens = place.section && opened.insert(place.section).second;
    if (opens) {
      ASSERT_GE(at, 1) << name;
      EXPECT_EQ(names[at - 1], place.section->item) << name << " opens its section";
      EXPECT_EQ(items[at - 1]->caption(), place.section->caption);
    }
    const auto lineAt = at - (opens ? 2 : 1);
    EXPECT_EQ(lineAt >= 0 && items[lineAt]->separator(), place.separatorBefore) << name;

    if (lastIndex.contains(place.menu)) {
      EXPECT_GT(at, lastIndex[place.menu]) << name << " out of catalogue order";
    }
    lastIndex[place.menu] = at;
  }
  for (const auto& heading : headings) EXPECT_EQ(countInWindow(heading), 1) << heading;
}

// Names, order, headings and separators are what the tray, the tests and the
// Windows build look items up by: the catalogue must rebuild them as they were.
TEST_F(CatalogueMenusTest, TheMenusKeepTheirItemsHeadingsAndSeparatorsWhereTheyWere) {
  EXPECT_EQ(namesOf(item("mSettings")),
            (std::vector<std::string>{"mignore", "mSettingsSep1", "chkPasswordTimer", "mEnPwd", "mHistory",
                                      "mSettingsSep2", "mhideconfigure", "mhidecoffebreak"}));
  EXPECT_EQ(namesOf(item("mTweaks")),
            (std::vector<std::string>{"mwindows", "chkDesktop", "chkRDesktop", "chkWallpaper", "chkNoPrograms",
                                      "chkRun", "mTweaksSep1", "mie", "chkOptions", "chkSource", "chkdlFolder",
                                      "chkFav"}));
  EXPECT_EQ(namesOf(item("mAdvanced")),
            (std::vector<std::string>{"mwin", "chkTaskManager", "chkLockMyComputer", "chkLockex", "chkLockInstall",
                                      "chkLockextract", "mAdvancedSep1", "mSeperator01", "chkLockIE", "chkLockFF",
                                      "chkdisableDownloads"}));
  EXPECT_EQ(item("chkWallpaper").caption(), "  Disable Changing of Wallpaper");
  EXPECT_EQ(item("mwindows").caption(), "Windows:");
  EXPECT_EQ(item("mSeperator01").caption(), "Internet:");
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
}  // namespace tessara::testing
