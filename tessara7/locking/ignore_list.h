#pragma once
// The ignore list: window titles that are never locked, kept machine-wide in
// the store and, for the run, in lstignore on the configuration window.
#include <string>

#include "forms/controls.h"
#include "tessara7/settings/registry_access.h"

namespace tessara {

class IgnoreList {
 public:
  IgnoreList(RegistryAccess& registry, forms::ListBox& lstignore);

  // Exactly this title (case-sensitive, the whole title) is ignored.
  bool ignores(const std::string& title) const;
  // "Ignore in future": the title joins the list and the store at once.
  void ignore(std::string title);

  void clear();
  // Reads the stored titles (Program0 to Program999, in number order, empty ones skipped).
  void load();
  // Rewrites the store whole: the key is deleted, created again (or, without
  // keepEmptyKey, only when a title is written) and the titles written as
  // Program0, Program1, ...
  void store(bool keepEmptyKey = true);

 private:
  RegistryAccess& registry_;
  forms::ListBox& lstignore_;
};

}  // namespace tessara
