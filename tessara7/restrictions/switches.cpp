#include "tessara7/restrictions/switches.h"

#include <stdexcept>

#include "tessara7/settings/managed_settings.h"
#include "tessara7/settings/registry_access.h"
#include "tessara7/settings/store_keys.h"
#include "tessara7/restrictions/policy_changes.h"

namespace tessara {

using platform::Root;

RestrictionSwitches::RestrictionSwitches(const forms::Form& window, forms::CheckBox& chkContextMenu,
                                         std::span<const catalogue::Switch> rows)
    : chkContextMenu_(chkContextMenu) {
  for (const auto& entry : rows) {
    forms::MenuItem* item = window.findMenu(std::string(entry.control));
    // A row that names neither a menu item nor the check box is a misspelling:
    // it must not quietly switch the Explorer menu instead.
    if (!item && entry.control != chkContextMenu.name())
      throw std::logic_error("no menu item or check box named " + std::string(entry.control));
    bound_.push_back({&entry, item});
  }
}

const RestrictionSwitches::Bound* RestrictionSwitches::find(std::string_view control) const {
  for (const auto& bound : bound_)
    if (bound.entry->control == control) return &bound;
  return nullptr;
}

bool RestrictionSwitches::on(const catalogue::Switch& entry) const {
  const Bound* bound = find(entry.control);
  if (bound == nullptr) return false;
  return bound->item ? bound->item->checked() : chkContextMenu_.value() == 1;
}

void RestrictionSwitches::set(const Bound& bound, bool on) {
  if (bound.item) bound.item->setChecked(on);
  else chkContextMenu_.setValue(on ? 1 : 0);
}

void RestrictionSwitches::showManaged(const ManagedSettings& managed) {
  for (auto& bound : bound_) {
    const auto& entry = *bound.entry;
    const bool now = entry.encoding == catalogue::Encoding::Flag && managed.setting(entry.value).has_value();
    if (now == bound.managed) continue;
    bound.managed = now;
    if (bound.item) {
      bound.item->setEnabled(!now);
      continue;
    }
    if (now) ownTip_ = chkContextMenu_.toolTip();
    chkContextMenu_.setEnabled(!now);
    chkContextMenu_.setToolTip(now ? ManagedTip : ownTip_);
  }
}

void RestrictionSwitches::flipTicksOnClick() {
  for (const auto& bound : bound_) {
    forms::MenuItem* item = bound.item;
    if (item && !item->onClick) item->onClick = [item] { item->setChecked(!item->checked()); };
  }
}

void RestrictionSwitches::loadPolicyTicks(RegistryAccess& registry, Root scopeRoot) {
  // The Tweaks items, "Disable Internet Options" and "Remove Favorites"
  // included, so that the next Apply keeps what is stored.
  for (const auto& bound : bound_) {
    const auto& entry = *bound.entry;
    if (entry.encoding != catalogue::Encoding::PolicyDword || !bound.item) continue;
    bound.item->setChecked(catalogue::ticked(entry, {}, registry.GetDwordValue(scopeRoot, entry.key, entry.value)));
  }
}

void RestrictionSwitches::loadFlags(RegistryAccess& registry, Root scopeRoot) {
  for (const auto& bound : bound_) {
    const auto& entry = *bound.entry;
    if (entry.encoding != catalogue::Encoding::Flag) continue;
    const Root root = entry.where == catalogue::Where::Machine ? Root::Machine : scopeRoot;
    set(bound, catalogue::ticked(entry, registry.GetStringValue(root, keys::Settings, entry.value), 0));
  }
}

void RestrictionSwitches::noteLoaded() {
  loaded_.clear();
  for (const auto& bound : bound_) loaded_.push_back(on(*bound.entry));
}

std::vector<std::string> RestrictionSwitches::changedSinceLoad() const {
  std::vector<std::string> changed;
  for (std::size_t i = 0; i < bound_.size() && i < loaded_.size(); ++i)
    if (on(*bound_[i].entry) != loaded_[i]) changed.emplace_back(bound_[i].entry->value);
  return changed;
}

void RestrictionSwitches::save(RegistryAccess& registry, PolicyChanges& policies, Root scopeRoot) const {
  for (const auto& bound : bound_) {
    const auto& entry = *bound.entry;
    const bool ticked = on(entry);
    const Root root = entry.where == catalogue::Where::Machine ? Root::Machine : scopeRoot;
    if (entry.encoding == catalogue::Encoding::PolicyDword) {
      registry.SaveDwordValue(root, entry.key, entry.value, ticked ? 1 : 0);
      policies.changed();
    } else {
      registry.SaveStringValue(root, entry.key, entry.value, ticked ? "1" : "0");
    }
  }
}

ProgramLocks RestrictionSwitches::programLocks() const {
  const auto ticked = [&](std::string_view control) {
    const Bound* bound = find(control);
    return bound && on(*bound->entry);
  };
  return {.explorerMenuNeedsPassword = ticked("mEnPwd"),
          .wholePrograms = {.LockInternetExplorer = ticked("chkLockIE"),
                            .InternetExplorerFiles = {catalogue::internetExplorerFiles().begin(),
                                                      catalogue::internetExplorerFiles().end()},
                            .LockWindowsExplorer = ticked("chkLockex")}};
}

std::vector<std::string> RestrictionSwitches::implicitLockNames() const {
  std::vector<std::string> names;
  for (const auto& lock : catalogue::implicitLocks()) {
    const Bound* bound = find(lock.control);
    if (!bound || !bound->item || !bound->item->checked()) continue;
    for (auto name : lock.names) names.emplace_back(name);
    for (auto program : lock.programs) names.emplace_back(program);
  }
  return names;
}

}  // namespace tessara
