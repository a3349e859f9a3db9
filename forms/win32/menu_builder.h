#pragma once
// Menus of a form as Windows menus: the menu bar, and a single menu shown as
// a pop-up. Items whose visible flag is off are left out.
#include <memory>
#include <vector>

#include "forms/menu.h"
#include "shared/win32/handles.h"

namespace forms::win32 {

// nullptr when no top-level menu is visible (the form has no menu bar).
win32kit::UniqueMenu buildMenuBar(const std::vector<std::unique_ptr<MenuItem>>& menus);

// The children of one menu as a pop-up menu.
win32kit::UniqueMenu buildPopupMenu(const MenuItem& menu);

}  // namespace forms::win32
