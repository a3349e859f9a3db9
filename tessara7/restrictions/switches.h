#pragma once
// The catalogue's switches bound to the configuration window's controls:
// their ticks, how the load sets them and how Apply stores them.
#include <span>
#include <string>
#include <vector>

#include "forms/form.h"
#include "platform/registry.h"
#include "tessara7/restrictions/catalogue.h"
#include "tessara7/restrictions/program_locks.h"

namespace tessara {

class PolicyChanges;
class RegistryAccess;
class ManagedSettings;
class RegistryAccess;

class RestrictionSwitches {
 public:
  // The menu items are found by the catalogue's control names; the one check
  // box among the switches is chkContextMenu.
  RestrictionSwitches(const forms::Form& window, forms::CheckBox& chkContextMenu,
                      std::span<const catalogue::Switch> rows = catalogue::switches());

  bool on(const catalogue::Switch& entry) const;

  // Every menu switch without a handler of its own only flips its tick until Apply.
  void flipTicksOnClick();

  // The load: the policy values tick the Tweaks items, the flags the
  // Advanced and Settings items and the Explorer-menu box.
  void loadPolicyTicks(RegistryAccess& registry, platform::Root scopeRoot);
  void loadFlags(RegistryAccess& registry, platform::Root scopeRoot);
  // The ticks as the load left them, and the registry values of the
  // switches whose tick differs from them now (what Apply changes).
  void noteLoaded();
  std::vector<std::string> changedSinceLoad() const;
  // Apply: every switch under its root with its encoding, in the catalogue's order.
  void save(RegistryAccess& registry, PolicyChanges& policies, platform::Root scopeRoot) const;

  // The program-wide values that follow three of the switches: the
  // Explorer menu's password and the two whole-program locks.
  ProgramLocks programLocks() const;

  // A switch an administrator manages is greyed (the check box also says
  // so in its tooltip); one no longer managed is given back to the owner.
  void showManaged(const ManagedSettings& managed);
  static constexpr const char* ManagedTip = "Set by your administrator";

  // The window titles and classes the ticked Advanced locks watch, in order.
  std::vector<std::string> implicitLockNames() const;

 private:
  struct Bound {
    const catalogue::Switch* entry;
    forms::MenuItem* item;  // nullptr for the check box
    bool managed = false;
  };
  const Bound* find(std::string_view control) const;
  void set(const Bound& bound, bool on);

  forms::CheckBox& chkContextMenu_;
  std::string ownTip_;  // the check box's tooltip while it is not managed
  std::vector<Bound> bound_;
  std::vector<bool> loaded_;
};

}  // namespace tessara
