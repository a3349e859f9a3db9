#include "tessara7/restrictions/switch_menus.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace tessara {
namespace {

// Separators are named after their menu and counted within it ("mTweaksSep1").
std::string separatorName(const forms::MenuItem& menu) {
  const auto separators = std::ranges::count_if(menu.items(), [](const auto& item) { return item->separator(); });
  return menu.name() + "Sep" + std::to_string(separators + 1);
}

}  // namespace

std::string switchCaption(const catalogue::Placement& placement) {
  return (placement.section ? "  " : "") + std::string(placement.caption);
}

void addSwitchItems(forms::MenuItem& menu, catalogue::Menu which, std::span<const catalogue::Switch> rows) {
  // Each section's last item so far: the next row of that section goes after it.
  std::vector<std::pair<const catalogue::Section*, forms::MenuItem*>> sectionEnds;
  for (const auto& row : rows) {
    const catalogue::Placement& place = row.placement;
    if (place.menu != which || which == catalogue::Menu::None) continue;
    const auto end = std::ranges::find(sectionEnds, place.section, &decltype(sectionEnds)::value_type::first);
    const bool opensSection = place.section && end == sectionEnds.end();
    // Where the row's items go: after its section's last item, or else at the menu's end.
    forms::MenuItem* after = place.section && !opensSection ? end->second : nullptr;
    const auto put = [&](std::string_view name, std::string caption) -> forms::MenuItem& {
      forms::MenuItem& item = after ? menu.insertAfter(*after, std::string(name), std::move(caption))
                                    : menu.add(std::string(name), std::move(caption));
      if (after) after = &item;  // the next one follows it
      return item;
    };
    if (place.separatorBefore) put(separatorName(menu), "-");
    if (opensSection) put(place.section->item, std::string(place.section->caption));
    forms::MenuItem& item = put(row.control, switchCaption(place));
    if (opensSection) sectionEnds.emplace_back(place.section, &item);
    else if (place.section) end->second = &item;
  }
}

}  // namespace tessara
