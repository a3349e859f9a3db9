// The tray icon's mouse messages as the notification area delivers them to
// the main window, the tray menu, and "Lock Computer" from that menu.
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

  // Wine keeps menus per process, so the popup may not be readable from here;
  // the program's own answer names what it built the popup from.
  if (const auto read = readPopupMenu(menu)) {
    EXPECT_EQ(*read, kTrayItems) << "read from the popup menu window";
    RecordProperty("menu_read", "cross-process");
  } else {
    RecordProperty("menu_read", "state-query");
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
