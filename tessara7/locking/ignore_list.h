#pragma once
// The ignore list: window titles that are never locked, kept machine-wide in
// the store. The list holds the titles itself; lstignore on the configuration
// window only shows them.
#include <string>
#include <vector>

#include "forms/controls.h"
#include "tessara7/settings/registry_access.h"

namespace tessara {

class IgnoreList {
 public:
  // What the list needs of the program around it.
  class Host {
   public:
    virtual ~Host() = default;
    // Opens the "Ignore List" window.
    virtual void showIgnoreWindow() = 0;
  };
  IgnoreList(Host& host, RegistryAccess& registry, forms::ListBox& lstignore);

  // "Ignore" and "Ignored Programs List...": the "Ignore List" window.
  void cmdIgnore_Click();

  // Exactly this title (case-sensitive, the whole title) is ignored.
  bool ignores(const std::string& title) const;
  // "Ignore in future": the title joins the list and the store at once.
  void ignore(std::string title);
  // The title is ignored for this run; the store learns of it at the next store().
  void add(std::string title);
  // The title is no longer ignored in this run (one entry of it leaves the
  // list), so that the next Apply does not store it again.
  void forget(const std::string& title);
  const std::vector<std::string>& titles() const { return titles_; }

  void clear();
  // Adds the stored titles (Program0 to Program999, in number order, empty ones skipped).
  void load();
  // Adds titles read before (storedTitles, read ahead of the load).
  void load(std::vector<std::string> stored);
  // Only reads the store, so it may run beside the program's thread.
  std::vector<std::string> storedTitles() const;
  // Rewrites the store whole from the list: the key is deleted, created again
  // (or, without keepEmptyKey, only when a title is written) and the titles
  // written as Program0, Program1, ...
  void store(bool keepEmptyKey = true);
  void rewriteStore(const std::vector<std::string>& titles, bool keepEmptyKey = true);

 private:
  std::vector<std::string> titles_;
  Host& host_;
  RegistryAccess& registry_;
  forms::ListBox& lstignore_;
};

}  // namespace tessara
