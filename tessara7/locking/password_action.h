#pragma once
// What the password prompt guards: one action per kind of guarded operation,
// each with its stored code and the rules that tell the prompt's callers and
// its OK button apart. Adding a guarded operation is one enumerator and one
// row of the table in password_action.cpp; what its right password does
// travels with its request (password_request.h).
#include <iosfwd>
#include <string_view>

namespace tessara {

enum class Action {
  None,               // ""       nothing pending; the prompt just closes
  ListedWindow,       // "app"    a window whose title holds a ticked task name
  InternetExplorer,   // "ie"     the whole-program lock of Internet Explorer
  WindowsExplorer,    // "ex"     the whole-program lock of Windows Explorer
  AdvancedLock,       // "adv"    a window of the Advanced menu's locks
  Installation,       // "ins"    software installation
  Configuration,      // "cfg"    the configuration window
  Uninstall,          // "un"     the uninstall button and menu
  ExplorerEncrypt,    // "en"     Explorer's Encrypt when it needs the master password
  ExplorerDecrypt,    // "de"     Explorer's Decrypt: asks for the encryption password
  ComputerLock,       // "blk"    the blank screen of "Lock Computer"
  Exit,               // "exit"   the tray menu's Exit: the program ends for good
  ClearHistory,       // "hist"   the History window's Clear
  Cancel,             // "cancel" the prompt's own Cancel
};

// What the typed text is compared with.
enum class Check { MasterPassword, Nothing };
// What a wrong master password does.
enum class WrongPassword { Counted, ClosesPrompt };

struct ActionRule {
  Action action;
  std::string_view code;     // the program's stored code ("app", "cfg", ...)
  bool guardsWindow;         // sets PendingWindow; the others clear it, so Cancel closes nothing
  bool raisedOverDialog;     // raised even while one of the program's dialogs is open
  Check check;
  WrongPassword wrong;
  bool staysOpen;            // the right password leaves the prompt open (until Cancel)
  std::string_view purpose;  // what the password was for, in the history
};

const ActionRule& ruleOf(Action action);
std::string_view codeOf(Action action);

// Prints the stored code, so that test failures read as the program's vocabulary.
std::ostream& operator<<(std::ostream& out, Action action);

}  // namespace tessara
