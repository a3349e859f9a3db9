// The tray icon's mouse messages as the notification area delivers them to
// the main window, the tray menu and its entries, the icon added again for the
// taskbar of a restarted Explorer, and "Lock Computer" from that menu.
#include <windows.h>
#include <shellapi.h>

#include <optional>
#include <vector>

#include "forms/control_id.h"
#include "tests/e2e/lock_helpers.h"

namespace e2e {
namespace {

using namespace lock;

constexpr UINT kTrayCallback = WM_APP + 1;  // the icon's callback message; lParam is the mouse message
constexpr LPARAM kMouseMove = WM_MOUSEMOVE;
constexpr LPARAM kLeftDoubleClick = WM_LBUTTONDBLCLK;
constexpr LPARAM kRightButtonDown = WM_RBUTTONDOWN;
constexpr const char* kPopupMenuClass = "#32768";

const std::vector<std::string> kTrayItems{"Configure...", "Lock Computer", "Reset Locks",
                                          "Stop Remembering Password", "Cancel", "Exit"};

// Lines of a state-query answer; separators ("-") left out.
std::vector<std::string> menuItems(const std::string& answer) {
  std::vector<std::string> items;
  std::size_t start = 0;
  while (start <= answer.size()) {
    const std::size_t end = std::min(answer.find('\n', start), answer.size());
    std::string line = answer.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line != "-") items.push_back(line);
    start = end + 1;
  }
  return items;
}

// The item texts of a popup menu window of another process, separators left
// out; nothing when the menu cannot be read from here.
std::optional<std::vector<std::string>> readPopupMenu(HWND menuWindow) {
  DWORD_PTR handle = 0;
  if (!SendMessageTimeoutW(menuWindow, MN_GETHMENU, 0, 0, SMTO_NORMAL, 2000, &handle) || handle == 0)
    return std::nullopt;
  HMENU menu = reinterpret_cast<HMENU>(handle);
  const int count = GetMenuItemCount(menu);
  if (count <= 0) return std::nullopt;
  std::vector<std::string> items;
  for (int i = 0; i < count; ++i) {
    if (GetMenuState(menu, i, MF_BYPOSITION) & MF_SEPARATOR) continue;
    wchar_t text[256] = {};
    const int n = GetMenuStringW(menu, i, text, 256, MF_BYPOSITION);
    items.push_back(narrow(std::wstring_view(text, n > 0 ? n : 0)));
  }
  return items;
}

class TrayTest : public E2eTest {
 protected:
  void start() {
    tessara_.emplace();
    ASSERT_NE(tessara_->window, nullptr) << "tessara7 did not come up";
  }
  bool trayMessage(LPARAM mouseMessage) { return PostMessageW(main(), kTrayCallback, 0, mouseMessage) != FALSE; }
  HWND main() const { return tessara_->window; }
  HWND popupMenu() const {
    HWND menu = visibleWindowOfClass(kPopupMenuClass);
    return menu && processOf(menu) == tessara_->program.pid() ? menu : nullptr;
  }

  std::optional<RunningTessara> tessara_;
};

TEST_F(TrayTest, DoubleClickAsksForTheConfigurationPassword) {
  start();
  ASSERT_TRUE(trayMessage(kMouseMove));
  EXPECT_TRUE(holdsFor(1000, [] { return visiblePrompt() == nullptr; })) << "a mouse move raised the prompt";

  ASSERT_TRUE(trayMessage(kLeftDoubleClick));
  HWND prompt = waitForPrompt();
  ASSERT_NE(prompt, nullptr);
  EXPECT_EQ(promptSubject(prompt), "Configuration");
  EXPECT_FALSE(isVisible(main()));

  ASSERT_TRUE(enterPassword(prompt, kMasterPassword));
  EXPECT_TRUE(waitUntil(kSettleMs, [&] { return isVisible(main()); })) << "the configuration did not open";
  EXPECT_TRUE(waitForNoPrompt());
}

TEST_F(TrayTest, DoubleClickDoesNothingWithConfigureSwitchedOff) {
  storeSetting("mhideconfigure", "1");
  start();
  EXPECT_EQ(query(main(), "menu.mhideconfigure.checked"), "1");
  EXPECT_EQ(query(main(), "menu.mconfig.enabled"), "0");
  ASSERT_TRUE(trayMessage(kLeftDoubleClick));
  EXPECT_TRUE(holdsFor(2000, [&] { return visiblePrompt() == nullptr && !isVisible(main()); }));
  EXPECT_TRUE(tessara_->program.running());
}

TEST_F(TrayTest, RightClickShowsTheSixItemMenuAndEscapeClosesIt) {
  start();
  ASSERT_TRUE(trayMessage(kRightButtonDown));
  HWND menu = nullptr;
  ASSERT_TRUE(waitUntil(kSettleMs, [&] { return (menu = popupMenu()) != nullptr; })) << "no popup menu";
  RECT box{};
  GetWindowRect(menu, &box);
  EXPECT_GT(box.right - box.left, 0);
  EXPECT_GT(box.bottom - box.top, 0);
  saveScreenshot("tray-menu");

  // Wine keeps menus per process, so the popup's texts may not be readable
  // from here; only that reading is left out then, and the program's own
  // answer names what it built the popup from. The popup itself is driven
  // below with the keys, which works everywhere.
  if (const auto read = readPopupMenu(menu)) {
    EXPECT_EQ(*read, kTrayItems) << "read from the popup menu window";
    RecordProperty("menu_read", "cross-process");
  } else {
    RecordProperty("menu_read", "state-query: this Wine keeps a menu's texts inside its own process");
  }
  const auto answer = query(main(), "menu.mFile.items");
  ASSERT_TRUE(answer.has_value()) << "no answer while the menu is open";
  EXPECT_EQ(menuItems(*answer), kTrayItems);
  EXPECT_EQ(*answer, "Configure...\nLock Computer\nReset Locks\nStop Remembering Password\n-\nCancel\nExit")
      << "one separator before Cancel";

  ASSERT_TRUE(PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0));
  EXPECT_TRUE(waitUntil(kSettleMs, [&] { return popupMenu() == nullptr; })) << "Escape left the menu open";
  // Escape chose nothing.
  EXPECT_TRUE(holdsFor(1000, [&] {
    return visiblePrompt() == nullptr && visibleWindowOfClass(kBlankClass) == nullptr && !isVisible(main());
  }));
  EXPECT_TRUE(tessara_->program.running());
  // The main window answers again once the menu's loop has ended.
  EXPECT_EQ(query(main(), "form.caption"), kMainTitle);
}

// The popup on the screen carries the commands in the order shown: the second
// entry, chosen with the keys, locks the computer; the first asks for the
// configuration's password.
TEST_F(TrayTest, ThePopupsEntriesChosenWithTheKeysRunTheirCommands) {
  start();
  const auto choose = [&](int downs) {
    if (!trayMessage(kRightButtonDown)) return false;
    HWND menu = nullptr;
    if (!waitUntil(kSettleMs, [&] { return (menu = popupMenu()) != nullptr; })) return false;
    for (int i = 0; i < downs; ++i) PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
    return waitUntil(kSettleMs, [&] { return popupMenu() == nullptr; });
  };

  ASSERT_TRUE(choose(2)) << "the popup did not take the keys";
  HWND blank = nullptr;
  EXPECT_TRUE(waitUntil(kSettleMs, [&] { return (blank = visibleWindowOfClass(kBlankClass)) != nullptr; }))
      << "the second entry did not lock the computer";
  HWND prompt = waitForPrompt();
  ASSERT_NE(prompt, nullptr);
  EXPECT_EQ(promptSubject(prompt), "System Lock");
  ASSERT_TRUE(enterPassword(prompt, kMasterPassword));
  ASSERT_TRUE(waitUntil(kSettleMs, [] { return visibleWindowOfClass(kBlankClass) == nullptr; }));
  ASSERT_TRUE(waitForNoPrompt());

  ASSERT_TRUE(choose(1)) << "the popup did not take the keys";
  prompt = waitForPrompt();
  ASSERT_NE(prompt, nullptr) << "the first entry asked for no password";
  EXPECT_EQ(promptSubject(prompt), "Configuration");
  EXPECT_EQ(visibleWindowOfClass(kBlankClass), nullptr);
}

// --- The taskbar's restart ----------------------------------------------------------

// A stand-in for the taskbar of a restarted Explorer: the notification area's
// window, which the system hands every icon's NIM_ADD, NIM_DELETE... as WM_COPYDATA.
class StandInTaskbar {
 public:
  StandInTaskbar() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &StandInTaskbar::proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"Shell_TrayWnd";
    RegisterClassW(&wc);
    // Topmost, so that the system finds this one before the running taskbar.
    window_.reset(CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"Shell_TrayWnd", L"", WS_POPUP, 0, 0, 1, 1,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
    if (window_) {
      SetWindowLongPtrW(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
      SetWindowPos(window_.get(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
  }
  bool found() const { return window_ && FindWindowW(L"Shell_TrayWnd", nullptr) == window_.get(); }
  // The windows whose icon was added here, in order.
  const std::vector<HWND>& added() const { return added_; }

 private:
  static LRESULT CALLBACK proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<StandInTaskbar*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_COPYDATA && self) {
      const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
      // The icon's data begins with the window that owns it.
      if (data && data->dwData == NIM_ADD && data->cbData >= sizeof(LONG))
        self->added_.push_back(reinterpret_cast<HWND>(static_cast<LONG_PTR>(*static_cast<const LONG*>(data->lpData))));
      return TRUE;
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }
  OwnedWindow window_;
  std::vector<HWND> added_;
};

TEST_F(TrayTest, TheIconComesBackWhenExplorerRestartsAndStillAnswersTheMouse) {
  start();
  StandInTaskbar taskbar;
  ASSERT_TRUE(taskbar.found()) << "the stand-in is not the taskbar the system finds";
  // Nothing is added to a taskbar that has not announced itself.
  EXPECT_TRUE(holdsFor(1000, [&] { return taskbar.added().empty(); }));

  // The new taskbar announces itself to every top-level window, as Explorer does.
  const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
  ASSERT_NE(taskbarCreated, 0u);
  ASSERT_TRUE(SendNotifyMessageW(HWND_BROADCAST, taskbarCreated, 0, 0));
  ASSERT_TRUE(waitUntil(kSettleMs, [&] { return !taskbar.added().empty(); })) << "the icon was not added again";
  EXPECT_EQ(taskbar.added().front(), main()) << "the icon added is the main window's";
  EXPECT_TRUE(holdsFor(1000, [&] { return taskbar.added().size() == 1; })) << "one icon, added once";
  EXPECT_TRUE(tessara_->program.running());

  // The re-added icon's window still takes the icon's mouse messages.
  ASSERT_TRUE(PostMessageW(taskbar.added().front(), kTrayCallback, 0, kLeftDoubleClick));
  HWND prompt = waitForPrompt();
  ASSERT_NE(prompt, nullptr) << "a double click on the re-added icon asked for nothing";
  EXPECT_EQ(promptSubject(prompt), "Configuration");
}

// --- Lock Computer --------------------------------------------------------------

TEST_F(TrayTest, LockComputerBlanksTheScreenUntilTheMasterPassword) {
  start();
  ASSERT_TRUE(postMenuCommand(main(), forms::controlId("mLockWorkstation")));
  HWND blank = nullptr;
  ASSERT_TRUE(waitUntil(kSettleMs, [&] { return (blank = visibleWindowOfClass(kBlankClass)) != nullptr; }))
      << "no blank screen";
  HWND prompt = waitForPrompt();
  ASSERT_NE(prompt, nullptr);
  EXPECT_EQ(promptSubject(prompt), "System Lock");
  EXPECT_EQ(processOf(blank), tessara_->program.pid());

  RECT box{};
  ASSERT_TRUE(GetWindowRect(blank, &box));
  const int x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
  EXPECT_EQ(box.left, x);
  EXPECT_EQ(box.top, y);
  EXPECT_EQ(box.right, x + GetSystemMetrics(SM_CXVIRTUALSCREEN));
  EXPECT_EQ(box.bottom, y + GetSystemMetrics(SM_CYVIRTUALSCREEN));
  EXPECT_TRUE(GetWindowLongPtrW(blank, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_TRUE(waitUntil(kSettleMs, [&] { return isAbove(prompt, blank); })) << "the prompt is behind the blank";
  saveScreenshot("blank-screen-with-prompt");

  // Neither Cancel nor a wrong password ends the lock.
  ASSERT_TRUE(clickPromptButton(prompt, "cmdCancelPWD"));
  EXPECT_TRUE(holdsFor(1500, [&] { return isVisible(blank) && visiblePrompt() == prompt; }))
      << "Cancel ended the computer lock";
  // Nor does the prompt's close box (or Alt+F4): it is the Cancel button.
  ASSERT_TRUE(postClose(prompt));
  EXPECT_TRUE(holdsFor(1500, [&] { return isVisible(blank) && visiblePrompt() == prompt; }))
      << "closing the prompt ended the computer lock";
  ASSERT_TRUE(enterPassword(prompt, "guess"));
  EXPECT_TRUE(waitUntil(kSettleMs, [&] { return query(prompt, "lblPWD.caption") == "Password, wrong:"; }));
  EXPECT_TRUE(isVisible(blank));

  ASSERT_TRUE(enterPassword(prompt, kMasterPassword));
  const ULONGLONG typed = GetTickCount64();
  EXPECT_TRUE(waitUntil(1000, [&] { return visibleWindowOfClass(kBlankClass) == nullptr; }))
      << "the blank screen is still up 1 s after the right password";
  RecordProperty("unblank_ms", static_cast<int>(GetTickCount64() - typed));
  EXPECT_TRUE(waitForNoPrompt());
  EXPECT_TRUE(tessara_->program.running());
}

}  // namespace
}  // namespace e2e
