// The Win32 kit the programs share (shared/win32/): where the program is,
// its environment, starting another program, handle owners, and the window
// and message loop of a one-window program.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "shared/names.h"
#include "shared/win32/handles.h"
#include "shared/win32/module.h"
#include "shared/win32/process.h"
#include "shared/win32/text.h"
#include "shared/win32/window.h"

namespace {

std::wstring systemFolder() {
  wchar_t folder[MAX_PATH] = {};
  const UINT n = GetSystemDirectoryW(folder, MAX_PATH);
  return std::wstring(folder, n);
}

TEST(Win32Kit, KnowsItsFileFolderAndEnvironment) {
  const std::wstring path = win32kit::modulePath();
  ASSERT_GT(path.size(), 4u);
  EXPECT_EQ(path.substr(path.size() - 4), L".exe");
  EXPECT_EQ(win32kit::programFolder() + L"\\" + path.substr(path.find_last_of(L'\\') + 1), path);
  EXPECT_EQ(win32kit::inProgramFolder(L"tsrrun.exe"), win32kit::programFolder() + L"\\tsrrun.exe");
  EXPECT_EQ(win32kit::folderOf(L"C:\\a\\b.exe"), L"C:\\a");
  EXPECT_EQ(win32kit::folderOf(L"b.exe"), L"");

  SetEnvironmentVariableW(L"TESSARA_KIT_TEST", L"1");
  EXPECT_EQ(win32kit::environmentVariable(L"TESSARA_KIT_TEST"), std::wstring(L"1"));
  const std::wstring longValue(5000, L'x');
  SetEnvironmentVariableW(L"TESSARA_KIT_TEST", longValue.c_str());
  EXPECT_EQ(win32kit::environmentVariable(L"TESSARA_KIT_TEST"), longValue);
  SetEnvironmentVariableW(L"TESSARA_KIT_TEST", nullptr);
  EXPECT_FALSE(win32kit::environmentVariable(L"TESSARA_KIT_TEST").has_value());
}

// Switches for tests live where only administrators write: the user's own
// environment switches nothing.
TEST(Win32Kit, DiagnosticsSwitchesAreTheMachinesNotTheEnvironments) {
  ASSERT_TRUE(win32kit::setMachineSwitch(L"KitTest", false));
  SetEnvironmentVariableW(L"KitTest", L"1");
  EXPECT_FALSE(win32kit::machineSwitch(L"KitTest"));
  SetEnvironmentVariableW(L"KitTest", nullptr);
  ASSERT_TRUE(win32kit::setMachineSwitch(L"KitTest", true));
  EXPECT_TRUE(win32kit::machineSwitch(L"KitTest"));
  const std::wstring key = win32kit::toWide(names::DiagnosticsKey);
  RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), L"KitTest", REG_SZ, L"10", 3 * sizeof(wchar_t));
  EXPECT_FALSE(win32kit::machineSwitch(L"KitTest")) << "exactly 1 switches on";
  ASSERT_TRUE(win32kit::setMachineSwitch(L"KitTest", false));
  EXPECT_FALSE(win32kit::machineSwitch(L"KitTest"));
}

TEST(Win32Kit, StartsAProgramAndOwnsItsProcess) {
  win32kit::StartedProcess started = win32kit::startProcess(systemFolder() + L"\\hostname.exe", SW_HIDE, systemFolder());
  ASSERT_TRUE(started) << "error " << started.error;
  EXPECT_NE(started.id, 0u);
  EXPECT_EQ(WaitForSingleObject(started.process.get(), 10000), WAIT_OBJECT_0);
  DWORD code = 1;
  GetExitCodeProcess(started.process.get(), &code);
  EXPECT_EQ(code, 0u);

  const win32kit::StartedProcess missing = win32kit::startProcess(L"C:\\nowhere\\missing.exe");
  EXPECT_FALSE(missing);
  EXPECT_EQ(missing.error, static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST(Win32Kit, HandleOwnersCloseOnceAndHandOver) {
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  win32kit::UniqueKernelHandle owner(event);
  win32kit::UniqueKernelHandle moved(std::move(owner));
  EXPECT_FALSE(owner);
  EXPECT_EQ(moved.get(), event);
  DWORD flags = 0;
  EXPECT_TRUE(GetHandleInformation(event, &flags)) << "still open while owned";
  moved.reset();
  EXPECT_FALSE(GetHandleInformation(event, &flags)) << "closed by its owner";

  win32kit::UniqueFileHandle noFile(CreateFileW(L"C:\\nowhere\\missing.txt", GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                                0, nullptr));
  EXPECT_FALSE(noFile) << "INVALID_HANDLE_VALUE is no file";

  HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  win32kit::UniqueWindow owned(window);
  HWND handedOver = owned.release();
  EXPECT_FALSE(owned);
  EXPECT_TRUE(IsWindow(handedOver)) << "released, not destroyed";
  DestroyWindow(handedOver);
}

// What the test window's handler saw.
std::vector<UINT> g_seen;

std::optional<LRESULT> recordAndClose(HWND window, UINT message, WPARAM, LPARAM) {
  if (message == WM_CREATE || message == WM_TIMER || message == WM_DESTROY) g_seen.push_back(message);
  if (message == WM_CREATE) {
    SetTimer(window, 1, 10, nullptr);
    return 0;
  }
  if (message == WM_TIMER) {
    KillTimer(window, 1);
    DestroyWindow(window);
    return 0;
  }
  return std::nullopt;  // WM_DESTROY included: the kit ends the loop
}

TEST(Win32Kit, OneWindowProgramRunsUntilItsWindowGoes) {
  const std::string title = "Kit window \xE2\x9C\x93";  // "Kit window ✓"
  win32kit::MainWindow wanted;
  wanted.className = L"TessaraKitTest";
  wanted.handler = recordAndClose;
  wanted.title = title;
  wanted.width = 280;
  wanted.height = 92;
  wanted.clientSize = true;
  wanted.centred = true;

  HWND window = win32kit::createMainWindow(wanted);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(win32kit::windowText(window), title);
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, 280);
  EXPECT_EQ(client.bottom, 92);
  RECT frame{};
  GetWindowRect(window, &frame);
  EXPECT_NEAR((frame.left + frame.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
  DestroyWindow(window);
  MSG quit{};
  EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "its destruction ends the program";

  g_seen.clear();
  EXPECT_EQ(win32kit::runMainWindow(wanted, SW_SHOWNOACTIVATE), 0);
  EXPECT_EQ(g_seen, (std::vector<UINT>{WM_CREATE, WM_TIMER, WM_DESTROY}));
  EXPECT_TRUE(win32kit::registerWindowClass({wanted.className})) << "registering again is no failure";
}

}  // namespace
