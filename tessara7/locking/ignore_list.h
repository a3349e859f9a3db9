#pragma once
// The ignore list: window titles that are never locked, kept machine-wide in
// the store and, for the run, in lstignore on the configuration window.
#include <string>
#include <vector>

#include "forms/controls.h"
#include "tessara7/settings/registry_access.h"

namespace tessara {

class App;

class IgnoreList {
 public:
  IgnoreList(App& app, forms::ListBox& lstignore);

  // "Ignore" and "Ignored Programs List...": the "Ignore List" window.
  void cmdIgnore_Click();

  // Exactly this title (case-sensitive, the whole title) is ignored.
  bool ignores(const std::string& title) const;
  // "Ignore in future": the title joins the list and the store at once.
  void ignore(std::string title);
  // The title is no longer ignored in this run (one entry of it leaves the
  // list), so that the next Apply does not store it again.
  void forget(const std::string& title);

  void clear();
  // Reads the stored titles (Program0 to Program999, in number order, empty ones skipped).
  void load();
  std::vector<std::string> storedTitles() const;
  // Rewrites the store whole from the list: the key is deleted, created again
  // (or, without keepEmptyKey, only when a title is written) and the titles
  // written as Program0, Program1, ...
  void store(bool keepEmptyKey = true);
  void rewriteStore(const std::vector<std::string>& titles, bool keepEmptyKey = true);

 private:
  App& app_;
  RegistryAccess& registry_;
  forms::ListBox& lstignore_;
};

}  // namespace tessara
