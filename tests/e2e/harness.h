#pragma once
// End-to-end test harness: starts the real programs under Wine and drives them the
// way a user or another program could, through windows, messages and the registry.
// Text is UTF-8 in std::string; the wide Windows API is used only at the boundary.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "shared/names.h"
#include "shared/win32/handles.h"
#include "shared/win32/text.h"

namespace e2e {

inline std::wstring widen(std::string_view utf8) { return win32kit::toWide(utf8); }
inline std::string narrow(std::wstring_view wide) { return win32kit::toUtf8(wide); }

// Owners of a process or thread handle, a snapshot, an open registry key, and a
// window this process created.
using Handle = win32kit::UniqueKernelHandle;
using SnapshotHandle = win32kit::UniqueFileHandle;
using RegKey = win32kit::UniqueKey;
using OwnedWindow = win32kit::UniqueWindow;

// --- Waiting ----------------------------------------------------------------

// Handles the messages of the windows this thread made (other programs show,
// hide and minimise them by posting to this thread).
void pumpMessages();

// Pumps and polls until done() or the timeout; done() is asked once more at the end.
template <typename Done>
bool waitUntil(DWORD timeoutMs, Done done) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  while (GetTickCount64() < end) {
    pumpMessages();
    if (done()) return true;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  pumpMessages();
  return done();
}

// Pumps and polls for ms; false as soon as holds() is false once.
template <typename Holds>
bool holdsFor(DWORD ms, Holds holds) {
  return !waitUntil(ms, [&] { return !holds(); });
}

// --- Programs ---------------------------------------------------------------

// A Unix path ("/work/x") as a Windows path ("Z:\work\x"); other paths unchanged.
std::string toWindowsPath(const std::string& path);

// The Windows folder that holds the built programs, from TESSARA_BIN (set by ctest);
// empty when TESSARA_BIN is not set.
std::string programFolder();

// One running program. Started with the diagnostics switch "StateQuery" on, so its
// forms answer state queries; ended by the destructor when still running.
class Program {
 public:
  // Starts <programFolder()>\<name>.exe, e.g. Program("tessara7").
  explicit Program(const std::string& name);
  // Starts the program at a full Windows path (used for Wine's own programs).
  static Program atPath(const std::string& exePath);

  Program(Program&& o) noexcept : process_(std::move(o.process_)), pid_(std::exchange(o.pid_, 0)) {}
  Program& operator=(Program&& o) noexcept;
  ~Program();

  bool started() const { return static_cast<bool>(process_); }
  DWORD pid() const { return pid_; }
  bool running() const;
  // Exit code when the program ends within ms, nothing when it is still running.
  std::optional<DWORD> waitExit(DWORD ms) const;
  void kill();

 private:
  struct ByPath {};
  Program(ByPath, const std::string& exePath);
  Handle process_;
  DWORD pid_ = 0;
};

// Ends every running tessara7, hivexfer, tsrrun and notepad process; returns how many.
int endAllPrograms();

// --- Windows ----------------------------------------------------------------

// The top-level window with this exact title (and class, when given), hidden ones
// included, once it exists within timeoutMs; nullptr otherwise.
HWND waitForWindow(const std::string& title, DWORD timeoutMs, const std::string& className = {});
// True when no such window exists, or none exists any more within timeoutMs.
bool waitForNoWindow(const std::string& title, DWORD timeoutMs, const std::string& className = {});
// How many top-level windows, hidden ones included, have exactly this title.
int countTopLevelWindows(const std::string& title);
bool isVisible(HWND window);
DWORD processOf(HWND window);
std::string windowText(HWND window);
std::string windowClass(HWND window);

// Asks a form for the state of one of its controls ("cmdok.enabled", "form.caption",
// "menu.mconfig.checked"); the answer in UTF-8, nothing for an unknown query or when
// the form does not answer within timeoutMs.
std::optional<std::string> query(HWND form, const std::string& what, DWORD timeoutMs = 5000);

// --- Driving controls -------------------------------------------------------

// Posts BN_CLICKED for the child control controlId to its form; false when the form
// has no such control.
bool clickButton(HWND form, int controlId);
// Sends WM_SETTEXT to the child control; false when it is missing or does not answer.
bool setText(HWND form, int controlId, const std::string& text);
// WM_GETTEXT of the child control, or of the window itself.
std::optional<std::string> getText(HWND form, int controlId);
std::optional<std::string> getText(HWND window);
// Highlights entry `index` of a list box as a click on it does (the list's selection and
// its LBN_SELCHANGE to the form); with `doubleClick`, then LBN_DBLCLK as well.
bool selectListItem(HWND form, int controlId, int index, bool doubleClick = false);
// A mouse button pressed on the window's background, as the window's own message.
bool clickBackground(HWND window);
// Posts the WM_COMMAND of a menu item (an id from forms::controlId("mconfig")).
bool postMenuCommand(HWND form, int menuId);
bool postClose(HWND window);

// --- Registry ---------------------------------------------------------------

// The SID of the user the tests run as ("S-1-5-21-...").
std::string currentUserSid();

enum class Root { Machine, User };  // HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER

// Registry helpers for set-up and checks; paths relative to the root ("Software\TSR").
struct RegistryFixture {
  static constexpr const char* kStoreKey = "Software\\TSR";

  // Deletes Software\TSR with everything below it under both roots.
  static void clearStore();
  static bool deleteTree(Root root, const std::string& path);
  static bool keyExists(Root root, const std::string& path);
  static std::optional<std::string> readString(Root root, const std::string& path,
                                               const std::string& name);
  static std::optional<DWORD> readDword(Root root, const std::string& path, const std::string& name);
  static bool writeString(Root root, const std::string& path, const std::string& name,
                          const std::string& value);
  static bool writeDword(Root root, const std::string& path, const std::string& name, DWORD value);
  static bool deleteValue(Root root, const std::string& path, const std::string& name);
  // The owner gave this user settings of their own ("This user"): the user's
  // choice, and the owner's record of it for this user under the machine.
  static bool chooseThisUser();
};

// Base of every end-to-end test: each test starts with no program running and no
// Software\TSR under either root, and ends with no program running.
class E2eTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
};

}  // namespace e2e
