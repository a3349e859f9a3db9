// The configuration window's menu bar. The Settings, Tweaks and Advanced
// switches come from the restriction catalogue; what is no switch is placed
// here by hand, among them where it belongs.
#include <stdexcept>

#include "tessara7/restrictions/switch_menus.h"
#include "tessara7/shell/frm_config.h"

namespace tessara {
namespace {

forms::MenuItem& itemOf(forms::MenuItem& menu, std::string_view name) {
  forms::MenuItem* item = menu.find(name);
  if (!item) throw std::logic_error("no item named " + std::string(name) + " in " + menu.name());
  return *item;
}

}  // namespace

forms::MenuItem& FrmConfig::buildMenus(forms::Form& window) {
  using catalogue::Menu;

  forms::MenuItem& file = window.addMenu("mFile", "File");
  file.add("mconfig", "Configure...");
  file.add("mLockWorkstation", "Lock Computer");
  file.add("mnuResetLocks", "Reset Locks");
  file.add("mClearPassword", "Stop Remembering Password");
  file.add("mFileSep1", "-");
  file.add("mCancel", "Cancel");
  file.add("mExit", "Exit");

  forms::MenuItem& settings = window.addMenu("mSettings", "Settings");
  settings.add("mignore", "Ignored Programs List...");
  addSwitchItems(settings, Menu::Settings);
  settings.insertAfter(itemOf(settings, "mEnPwd"), "mHistory", "History...");

  forms::MenuItem& tweaks = window.addMenu("mTweaks", "Tweaks");
  addSwitchItems(tweaks, Menu::Tweaks);
  // The protections write the wallpaper lock at its click: it is no switch Apply stores.
  tweaks.insertAfter(itemOf(tweaks, "chkRDesktop"), "chkWallpaper", "  Disable Changing of Wallpaper");

  forms::MenuItem& advanced = window.addMenu("mAdvanced", "Advanced");
  addSwitchItems(advanced, Menu::Advanced);

  forms::MenuItem& help = window.addMenu("mHelp", "Help");
  help.add("mAbout", "About Tessara 7");
  help.add("mHelpSep1", "-");
  help.add("mUninstall", "Uninstall");
  return file;
}

forms::MenuItem& FrmConfig::builtItem(std::string_view name) const {
  forms::MenuItem* item = findMenu(std::string(name));
  if (!item) throw std::logic_error("the configuration window has no menu item named " + std::string(name));
  return *item;
}

}  // namespace tessara
