#include "tessara7/locking/password_action.h"

#include <array>
#include <ostream>

namespace tessara {
namespace {

using enum Action;
constexpr Check Master = Check::MasterPassword;
constexpr Check Any = Check::Nothing;  // any text is taken
constexpr WrongPassword Counted = WrongPassword::Counted;
constexpr WrongPassword Closes = WrongPassword::ClosesPrompt;

// In the order of the enumeration.
//  action            code      window  over a dialog  compared  a wrong one  stays open  in the history
constexpr std::array<ActionRule, 14> kRules{{
    {None,             "",       false,  false,         Any,      Closes,      false, "nothing"},
    {ListedWindow,     "app",    true,   false,         Master,   Counted,     false, "a locked window"},
    {InternetExplorer, "ie",     true,   false,         Master,   Counted,     false, "Internet Explorer"},
    {WindowsExplorer,  "ex",     true,   false,         Master,   Counted,     false, "Windows Explorer"},
    {AdvancedLock,     "adv",    true,   false,         Master,   Counted,     false, "a window of the Advanced locks"},
    {Installation,     "ins",    false,  false,         Master,   Counted,     true, "software installation"},
    {Configuration,    "cfg",    false,  false,         Master,   Counted,     false, "the configuration"},
    {Uninstall,        "un",     false,  true,          Master,   Closes,      false, "the uninstall"},
    {ExplorerEncrypt,  "en",     false,  false,         Master,   Closes,      false, "Explorer's Encrypt"},
    {ExplorerDecrypt,  "de",     false,  false,         Any,      Closes,      false, "Explorer's Decrypt"},
    {ComputerLock,     "blk",    false,  false,         Master,   Counted,     false, "the computer lock"},
    {Exit,             "exit",   false,  false,         Master,   Counted,     false, "Exit"},
    {ClearHistory,     "hist",   false,  true,          Master,   Counted,     false, "clearing the history"},
    {Cancel,           "cancel", false,  false,         Any,      Closes,      false, "Cancel"},
}};

constexpr bool inEnumerationOrder() {
  for (std::size_t i = 0; i < kRules.size(); ++i)
    if (static_cast<std::size_t>(kRules[i].action) != i) return false;
  return true;
}
static_assert(inEnumerationOrder(), "one rule per action, in the order of the enumeration");
static_assert(kRules.size() == static_cast<std::size_t>(Cancel) + 1, "every action has its rule");

}  // namespace

const ActionRule& ruleOf(Action action) { return kRules.at(static_cast<std::size_t>(action)); }

std::string_view codeOf(Action action) { return ruleOf(action).code; }

std::ostream& operator<<(std::ostream& out, Action action) { return out << '"' << codeOf(action) << '"'; }

}  // namespace tessara
