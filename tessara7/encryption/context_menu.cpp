#include "tessara7/encryption/context_menu.h"

#include "shared/names.h"

namespace tessara {
namespace {

using platform::Root;

const std::string kClassesKey = "Software\\Classes";
// The item types Explorer asks the handler about: every file, folders, drives.
constexpr const char* kItemTypes[] = {"*", "Directory", "Drive"};

}  // namespace

ContextMenu::Entry& ContextMenu::Items::Add(std::string caption) {
  entries_.push_back({std::move(caption)});
  return entries_.back();
}

ContextMenu::ContextMenu(Environment environment, platform::WindowHandle window)
    : env_(environment), window_(window) {}

bool ContextMenu::offers(std::string_view caption) const {
  if (caption == "-") return false;
  for (const Entry& entry : items_.all())
    if (entry.Caption == caption) return true;
  return false;
}

void ContextMenu::setActive(bool on) {
  active_ = on;
  if (on) {
    // Per user, so no administrator rights are needed; the registration
    // stays when the program ends (the DLL then shows nothing).
    registerForUser();
    publishEntries();
  }
  env_.desktop.setWindowMark(window_, names::ExplorerMenuProperty, on);
}

void ContextMenu::registerForUser() {
  auto& registry = env_.registry;
  const std::string classKey = kClassesKey + "\\CLSID\\" + names::ExplorerMenuClsid;
  registry.SaveStringValue(Root::User, classKey, "", "Tessara 7 Explorer menu");
  registry.SaveStringValue(Root::User, classKey + "\\InprocServer32", "",
                           env_.appFolder + names::ExplorerMenuDll);
  registry.SaveStringValue(Root::User, classKey + "\\InprocServer32", "ThreadingModel", "Apartment");
  for (const char* type : kItemTypes)
    registry.SaveStringValue(Root::User,
                             kClassesKey + "\\" + type + "\\shellex\\ContextMenuHandlers\\" +
                                 names::ExplorerMenuHandlerName,
                             "", names::ExplorerMenuClsid);
}

void ContextMenu::publishEntries() {
  auto& registry = env_.registry;
  registry.DeleteKey(Root::User, names::ExplorerMenuEntriesKey);
  registry.CreateKey(Root::User, names::ExplorerMenuEntriesKey);
  const auto& entries = items_.all();
  for (std::size_t i = 0; i < entries.size(); ++i)
    registry.SaveStringValue(Root::User, names::ExplorerMenuEntriesKey,
                             names::ExplorerMenuEntryName + std::to_string(i), entries[i].Caption);
}

}  // namespace tessara
