#pragma once
// The Explorer menu object (ContextMenu): the entries Explorer's right-click
// menu offers for files, folders and drives while the program runs. Switching
// it on registers the menu DLL (tsrmenu.dll, beside the programs) for the
// user, publishes the entries for it and marks the program's window; the DLL
// shows the entries only while that window exists and carries the mark, and
// sends a click back to the window (shared/explorer_menu_message.h).
#include <string>
#include <string_view>
#include <vector>

#include "platform/desktop.h"
#include "tessara7/settings/registry_access.h"

namespace tessara {

class ContextMenu {
 public:
  // What the object registers with and marks.
  struct Environment {
    platform::Desktop& desktop;
    RegistryAccess& registry;
    const std::string& appFolder;  // where the menu DLL lies, with a backslash
  };
  struct Entry {
    std::string Caption;  // "-" is a separator line, never a command
  };
  // The entries, in the order they appear in Explorer's menu.
  class Items {
   public:
    Entry& Add(std::string caption);
    const std::vector<Entry>& all() const { return entries_; }

   private:
    std::vector<Entry> entries_;
  };

  ContextMenu(Environment environment, platform::WindowHandle window);

  Items& items() { return items_; }
  // The Boolean property: from true on Explorer shows the entries.
  void setActive(bool on);
  bool active() const { return active_; }
  // True for a caption of one of this object's entries that is a command.
  bool offers(std::string_view caption) const;

 private:
  void registerForUser();
  void publishEntries();

  Environment env_;
  platform::WindowHandle window_;
  Items items_;
  bool active_ = false;
};

}  // namespace tessara
