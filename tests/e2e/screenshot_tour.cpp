// A walk through every window of tessara7 that stops for a picture at each step: each tab
// of the configuration window, each menu, the tray menu, the prompt and the notice.
// Disabled in ordinary runs; tests/e2e/screenshot_tour.sh runs it on its own X server and
// takes the pictures. The walk still checks that each step shows what it should.
//
// Picture protocol: the walk writes the picture's name into <TESSARA_SHOT_DIR>/.request
// and waits until the file is gone; the script takes the picture, then deletes the file.
#include <windows.h>
#include <commctrl.h>

#include <array>
#include <fstream>
#include <string>

#include "platform/win32/win32_tray.h"
#include "shared/win32/module.h"
#include "tests/e2e/lock_helpers.h"
#include "tests/e2e/file_helpers.h"
#include "tests/e2e/tessara_driver.h"

namespace e2e {
namespace {

std::string shotFolder() {
  const auto folder = win32kit::environmentVariable(L"TESSARA_SHOT_DIR");
  return folder ? toWindowsPath(narrow(*folder)) : std::string();
}

// Asks for a picture of the screen as it is now; false when none was taken within 20 s.
bool picture(const std::string& name) {
  const std::string folder = shotFolder();
  if (folder.empty()) return true;  // run without the script: walk only
  Sleep(400);                       // let the last repaint reach the screen
  const std::wstring request = widen(folder + "\\.request");
  const std::wstring pending = request + L".tmp";
  {
    std::ofstream out(pending.c_str(), std::ios::binary | std::ios::trunc);
    out << name;
  }
  if (!MoveFileExW(pending.c_str(), request.c_str(), MOVEFILE_REPLACE_EXISTING)) return false;
  return waitUntil(20000, [&] { return GetFileAttributesW(request.c_str()) == INVALID_FILE_ATTRIBUTES; });
}

HWND openMenuWindow() {
  HWND menu = nullptr;
  waitUntil(3000, [&] {
    menu = FindWindowW(L"#32768", nullptr);
    return menu && IsWindowVisible(menu);
  });
  return menu;
}

void postKey(HWND window, UINT key) {
  PostMessageW(window, WM_KEYDOWN, key, 1);
  PostMessageW(window, WM_KEYUP, key, 0xC0000001);
  Sleep(150);
}

class ScreenshotTour : public E2eTest {};

TEST_F(ScreenshotTour, DISABLED_EveryTabMenuPromptAndNotice) {
  Program program("tessara7");
  HWND main = waitForMainWindow();
  ASSERT_NE(main, nullptr);

  // The prompt, as it first comes up and after a wrong password.
  HWND prompt = openPrompt(main);
  ASSERT_NE(prompt, nullptr);
  EXPECT_TRUE(picture("prompt"));
  ASSERT_TRUE(submitPassword(prompt, "wrong"));
  ASSERT_EQ(waitForAnswer(prompt, "lblPWD.caption", "Password, wrong:"), "Password, wrong:");
  EXPECT_TRUE(picture("prompt-wrong-password"));
  ASSERT_TRUE(submitPassword(prompt, kDefaultPassword));
  ASSERT_TRUE(waitUntil(5000, [&] { return isVisible(main); }));
  SetForegroundWindow(main);

  // Every tab the strip offers.
  HWND tabs = GetDlgItem(main, idOf("SSTab1"));
  ASSERT_NE(tabs, nullptr);
  const auto names = splitLines(query(main, "SSTab1.items").value_or(""));
  const auto count = static_cast<int>(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0));
  EXPECT_EQ(count, 5) << "Advanced and Debug are left out";
  for (int position = 0; position < count; ++position) {
    SendMessageW(tabs, TCM_SETCURFOCUS, static_cast<WPARAM>(position), 0);
    const int tab = std::stoi(query(main, "SSTab1.tab").value_or("-1"));
    ASSERT_GE(tab, 0);
    ASSERT_LT(static_cast<std::size_t>(tab), names.size());
    EXPECT_EQ(SendMessageW(tabs, TCM_GETCURSEL, 0, 0), position);
    std::string name = names[static_cast<std::size_t>(tab)];
    for (char& c : name)
      if (c == ' ') c = '-';
    EXPECT_TRUE(picture("tab-" + std::to_string(position) + "-" + name));
  }

  // The Welcome page with the new-password box open.
  ASSERT_TRUE(clickButton(main, idOf("cmdpassword")));
  ASSERT_EQ(waitForAnswer(main, "txtsetpassword.visible", "1"), "1");
  EXPECT_TRUE(picture("tab-welcome-set-password"));

  // The menus of the bar, one after the other from the keyboard.
  SetForegroundWindow(main);
  PostMessageW(main, WM_SYSCOMMAND, SC_KEYMENU, 0);
  Sleep(300);
  postKey(main, VK_DOWN);
  for (const char* menu : {"menu-Settings", "menu-Tweaks", "menu-Advanced", "menu-Help"}) {
    EXPECT_NE(openMenuWindow(), nullptr) << menu;
    EXPECT_TRUE(picture(menu));
    postKey(main, VK_RIGHT);
  }
  postKey(main, VK_ESCAPE);
  postKey(main, VK_ESCAPE);
  EXPECT_TRUE(waitUntil(3000, [] { return FindWindowW(L"#32768", nullptr) == nullptr ||
                                          !IsWindowVisible(FindWindowW(L"#32768", nullptr)); }));

  // The History window of a copy no service answers: this run's events, said not to be kept.
  ASSERT_TRUE(postMenuCommand(main, idOf("mHistory")));
  HWND history = waitForVisibleWindow("Tessara.frmHistory", 5000);
  ASSERT_NE(history, nullptr);
  EXPECT_TRUE(picture("history"));
  ASSERT_TRUE(clickButton(history, idOf("cmdClose")));
  EXPECT_TRUE(waitUntil(3000, [&] { return !IsWindow(history) || !isVisible(history); }));

  // The tray menu, as a right click on the icon opens it.
  SetCursorPos(900, 700);
  PostMessageW(main, platform::win32::kTrayCallbackMessage, 0, WM_RBUTTONDOWN);
  EXPECT_NE(openMenuWindow(), nullptr) << "tray menu";
  EXPECT_TRUE(picture("menu-tray"));
  postKey(main, VK_ESCAPE);

  // The notice, with the longest everyday text.
  ASSERT_TRUE(clickButton(main, idOf("cmdCancel")));
  ASSERT_TRUE(waitUntil(3000, [&] { return !isVisible(main); }));
  ASSERT_TRUE(unlockConfiguration(main));
  SendMessageW(tabs, TCM_SETCURFOCUS, 0, 0);
  ASSERT_TRUE(setText(main, idOf("txtTask"), "ab"));
  ASSERT_TRUE(clickButton(main, idOf("cmdAdd")));
  HWND notice = waitForVisibleWindow(kNoticeClass, 3000);
  ASSERT_NE(notice, nullptr);
  EXPECT_TRUE(picture("notice-short-task-name"));
  dismissNotice();
  ASSERT_TRUE(postMenuCommand(main, idOf("mAbout")));
  ASSERT_NE(waitForVisibleWindow(kNoticeClass, 3000), nullptr);
  EXPECT_TRUE(picture("notice-about"));
  dismissNotice();

  // The task picker with Notepad running, its Edit Task box, and the Ignore List window.
  lock::RunningNotepad notepad;
  ASSERT_NE(notepad.window, nullptr);
  SetForegroundWindow(main);
  ASSERT_TRUE(clickButton(main, idOf("cmdSelect")));
  HWND picker = waitForVisibleWindow(names::PickerClass, 3000);
  ASSERT_NE(picker, nullptr);
  EXPECT_TRUE(picture("picker"));
  const auto tasks = splitLines(query(picker, "lstWindows.items").value_or(""));
  ASSERT_FALSE(tasks.empty());
  ASSERT_TRUE(selectListItem(picker, idOf("lstWindows"), 0));
  ASSERT_TRUE(clickButton(picker, idOf("cmdEdit")));
  HWND box = waitForVisibleWindow(names::InputBoxClass, 3000);
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(picture("picker-edit-task"));
  ASSERT_TRUE(clickButton(box, idOf("cmdCancel")));
  ASSERT_TRUE(clickButton(picker, idOf("cmdCancel")));
  ASSERT_TRUE(waitUntil(3000, [&] { return !IsWindow(picker); }));
  RegistryFixture::writeString(Root::Machine, "SOFTWARE\\TSR\\IGNORE", "Program0", "Untitled - Notepad");
  RegistryFixture::writeString(Root::Machine, "SOFTWARE\\TSR\\IGNORE", "Program1", "Document - WordPad");
  ASSERT_TRUE(postMenuCommand(main, idOf("mignore")));
  ASSERT_NE(waitForVisibleWindow(names::IgnoreListClass, 3000), nullptr);
  EXPECT_TRUE(picture("ignore-list"));

  // The transfer tool started by hand from a folder on C:, held open by a
  // click on "Export Reg Key" before its first tick, with its closing message.
  RegistryFixture::writeString(Root::User, "Software\\TSR\\Settings", "CurrentUser", "Disabled");
  CreateDirectoryW(L"C:\\TsrTour", nullptr);
  CopyFileW(widen(programFolder() + "\\" + names::TransferProgram).c_str(), L"C:\\TsrTour\\hivexfer.exe", FALSE);
  Program tool = Program::atPath("C:\\TsrTour\\hivexfer.exe");
  HWND toolWindow = waitForWindow(names::TransferIdleTitle, 5000, names::TransferClass);
  ASSERT_NE(toolWindow, nullptr);
  ASSERT_TRUE(waitUntil(2000, [&] { return FindWindowExW(toolWindow, nullptr, L"Button", L"Exit") != nullptr; }));
  const HWND exportButton = FindWindowExW(toolWindow, nullptr, L"Button", L"Export Reg Key");
  ASSERT_TRUE(clickButton(toolWindow, GetDlgCtrlID(exportButton)));
  HWND message = waitForWindow("Registry Operation Complete", 10000, "#32770");
  ASSERT_NE(message, nullptr);
  EXPECT_TRUE(picture("transfer-tool-export-message"));
  ASSERT_TRUE(clickButton(message, IDOK));
  ASSERT_TRUE(waitUntil(3000, [&] { return !IsWindow(message); }));
  EXPECT_TRUE(picture("transfer-tool"));
  const HWND exitButton = FindWindowExW(toolWindow, nullptr, L"Button", L"Exit");
  ASSERT_TRUE(clickButton(toolWindow, GetDlgCtrlID(exitButton)));
  EXPECT_TRUE(tool.waitExit(5000).has_value());
  DeleteFileW(L"C:\\tsrlocusr.dat");
  DeleteFileW(L"C:\\tsrcurusr.dat");
}

// The Encryption page with a path, the progress window during a run, and
// the same window at the end of the run with an error line.
TEST_F(ScreenshotTour, DISABLED_EncryptionPageAndProgressWindow) {
  const std::string folder = freshTempFolder("Tessara Fotos Ünïcödé");
  ASSERT_TRUE(writeFile(folder + "\\Urlaub 2023.mov", randomBytes(400 << 20, 1)));
  ASSERT_TRUE(writeFile(folder + "\\Notizen.txt", "notes"));
  ASSERT_TRUE(writeFile(folder + "\\notizen.txt.ts7", "someone else's"));
  Program program("tessara7");
  HWND main = waitForMainWindow();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(unlockConfiguration(main));
  SetForegroundWindow(main);
  SendMessageW(GetDlgItem(main, idOf("SSTab1")), TCM_SETCURFOCUS, 1, 0);
  ASSERT_EQ(waitForAnswer(main, "SSTab1.tab", "1"), "1");
  ASSERT_TRUE(setText(main, idOf("txtPath"), folder));
  ASSERT_TRUE(setText(main, idOf("txtEnPwd"), "Geheim 7"));
  ASSERT_TRUE(clickButton(main, idOf("cmdenpwd")));
  ASSERT_EQ(waitForAnswer(main, "cmdenpwd.caption", "Reset"), "Reset");
  EXPECT_TRUE(picture("encryption-page"));

  ASSERT_TRUE(clickButton(main, idOf("cmdEncrypt")));
  HWND crypt = waitForVisibleWindow("Tessara.frmCrypt", 10000);
  ASSERT_NE(crypt, nullptr);
  ASSERT_TRUE(waitUntil(60000, [&] {
    return std::atoi(query(crypt, "lblProgress.caption", 1000).value_or("0").c_str()) >= 15;
  }));
  EXPECT_TRUE(picture("progress-window-running"));
  ASSERT_EQ(waitForAnswer(main, "fraEn.enabled", "1", 120000), "1");
  ASSERT_EQ(waitForAnswer(crypt, "cmdabort.caption", "Close"), "Close");
  EXPECT_TRUE(picture("progress-window-error-line"));
  clickButton(crypt, idOf("cmdabort"));
  program.kill();
  removeTree(folder);
}

}  // namespace
}  // namespace e2e
