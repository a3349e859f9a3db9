// The restriction switches bind each catalogue row to its control by name:
// every row reaches its own menu item, the one check box row the check box,
// and a row that names nothing stops the window from being built.
#include "tessara7/restrictions/switches.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "platform/sim/sim_clock.h"

namespace tessara {
namespace {

class SwitchesForm : public forms::Form {
 public:
  SwitchesForm(forms::Runtime& runtime, bool leaveOneOut) : Form(runtime, "frmSwitches", "Switches") {
    forms::MenuItem& menu = addMenu("mTweaks", "Tweaks");
    for (const auto& entry : catalogue::switches()) {
      if (entry.control == chkContextMenu.name() || (leaveOneOut && entry.control == "chkLockex")) continue;
      menu.add(std::string(entry.control), std::string(entry.control));
    }
  }
  forms::CheckBox chkContextMenu{*this, "chkContextMenu", "Explorer menu"};
};

class RestrictionSwitchesTest : public ::testing::Test {
 protected:
  platform::sim::SimClock clock;
  forms::Runtime runtime{clock, nullptr, [](const std::string& error) { ADD_FAILURE() << error; }, {}};
};

TEST_F(RestrictionSwitchesTest, EachRowReadsItsOwnControlOnly) {
  SwitchesForm form(runtime, false);
  RestrictionSwitches switches(form, form.chkContextMenu);
  for (const auto& entry : catalogue::switches()) {
    const bool isBox = entry.control == form.chkContextMenu.name();
    if (isBox) form.chkContextMenu.setValue(1);
    else form.findMenu(std::string(entry.control))->setChecked(true);
    for (const auto& other : catalogue::switches())
      EXPECT_EQ(switches.on(other), other.control == entry.control) << entry.control << " ticked, " << other.control << " read";
    if (isBox) form.chkContextMenu.setValue(0);
    else form.findMenu(std::string(entry.control))->setChecked(false);
  }
}

TEST_F(RestrictionSwitchesTest, ARowThatNamesNoControlStopsTheWindowFromBeingBuilt) {
  SwitchesForm form(runtime, true);
  try {
    RestrictionSwitches switches(form, form.chkContextMenu);
    FAIL() << "a row without its menu item was bound to the check box";
  } catch (const std::logic_error& error) {
    EXPECT_NE(std::string(error.what()).find("chkLockex"), std::string::npos);
  }
}

}  // namespace
}  // namespace tessara
