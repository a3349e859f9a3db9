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
//  action            code      window  over a dialog  compared  a wrong one  stays open
constexpr std::array<ActionRule, 13> kRules{{
    {None,             "",       false,  false,         Any,      Closes,      false},
    {ListedWindow,     "app",    true,   false,         Master,   Counted,     false},
    {InternetExplorer, "ie",     true,   false,         Master,   Counted,     false},
    {WindowsExplorer,  "ex",     true,   false,         Master,   Counted,     false},
    {AdvancedLock,     "adv",    true,   false,         Master,   Counted,     false},
    {Installation,     "ins",    false,  false,         Master,   Counted,     true},
    {Configuration,    "cfg",    false,  false,         Master,   Counted,     false},
    {Uninstall,        "un",     false,  true,          Master,   Closes,      false},
    {ExplorerEncrypt,  "en",     false,  false,         Master,   Closes,      false},
    {ExplorerDecrypt,  "de",     false,  false,         Any,      Closes,      false},
    {ComputerLock,     "blk",    false,  false,         Master,   Counted,     false},
    {Exit,             "exit",   false,  false,         Master,   Counted,     false},
    {Cancel,           "cancel", false,  false,         Any,      Closes,      false},
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
