#pragma once
// The switch items of a menu, built from the catalogue's placements: a
// section's heading where its first switch appears, the separators the rows
// ask for, and the items in the catalogue's order beneath their headings.
#include <span>
#include <string>

#include "forms/menu.h"
#include "tessara7/restrictions/catalogue.h"

namespace tessara {

// Adds to `menu`, after what it holds already, the items of the rows placed in
// `which`. A row of a section already built joins the end of that section.
void addSwitchItems(forms::MenuItem& menu, catalogue::Menu which,
                    std::span<const catalogue::Switch> rows = catalogue::switches());

// The caption a placed switch shows: indented under a section's heading.
std::string switchCaption(const catalogue::Placement& placement);

}  // namespace tessara
