// Top-level windows through user32, with a window of the test's own.
#include "platform/win32/win32_desktop.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <thread>

namespace {

using platform::win32::Win32Desktop;

void pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

class Win32DesktopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"TsrTestWindow";
    RegisterClassW(&windowClass);  // fails harmlessly when already registered
    window_ = CreateWindowExW(0, L"TsrTestWindow", L"Tsr Test \u2713", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                              nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override {
    if (IsWindow(window_)) DestroyWindow(window_);
    pump();
  }
  platform::WindowHandle handle() const { return reinterpret_cast<platform::WindowHandle>(window_); }

  Win32Desktop desktop_;
  HWND window_ = nullptr;
};

TEST_F(Win32DesktopTest, FindsHiddenWindowsByClassAndWholeTitle) {
  EXPECT_EQ(desktop_.findWindow("TsrTestWindow", std::nullopt), handle());
  EXPECT_EQ(desktop_.findWindow(std::nullopt, "Tsr Test \xE2\x9C\x93"), handle());
  EXPECT_EQ(desktop_.findWindow("tsrtestwindow", "TSR TEST \xE2\x9C\x93"), handle());  // case-blind
  EXPECT_EQ(desktop_.findWindow(std::nullopt, "Tsr Test"), 0u);
  EXPECT_EQ(desktop_.findWindow("NoSuchClass", std::nullopt), 0u);
}

TEST_F(Win32DesktopTest, ReadsAndChangesTitleClassAndStyle) {
  EXPECT_EQ(desktop_.windowText(handle()), "Tsr Test \xE2\x9C\x93");
  EXPECT_EQ(desktop_.className(handle()), "TsrTestWindow");
  EXPECT_EQ(desktop_.windowStyle(handle()) & platform::StyleVisible, 0u);
  EXPECT_NE(desktop_.windowStyle(handle()) & platform::StyleBorder, 0u);
  desktop_.setWindowText(handle(), std::string(300, 'x'));
  EXPECT_EQ(desktop_.windowText(handle()), std::string(254, 'x'));  // a 255-character buffer
  const auto windows = desktop_.topLevelWindows();
  EXPECT_NE(std::find(windows.begin(), windows.end(), handle()), windows.end());
}

TEST_F(Win32DesktopTest, TitledWindowsAreTheVisibleBorderedTitledOnesInZOrderWithWholeTitles) {
  auto make = [](DWORD style, const wchar_t* title) {
    return CreateWindowExW(0, L"TsrTestWindow", title, style, 0, 0, 100, 100, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
  };
  const std::wstring longTitle = L"\u0416" + std::wstring(400, L'y');
  HWND borderless = make(WS_POPUP | WS_VISIBLE, L"Tsr borderless");
  HWND untitled = make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, L"");
  HWND lower = make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, L"Tsr lower \u65E5\u672C");
  HWND upper = make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, longTitle.c_str());
  HWND except = make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, L"Tsr except");
  SetWindowPos(lower, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SetWindowPos(upper, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  pump();

  const auto found = desktop_.titledWindows(platform::StyleVisible | platform::StyleBorder,
                                            reinterpret_cast<platform::WindowHandle>(except));
  auto position = [&](HWND w) {
    return std::find_if(found.begin(), found.end(),
                        [w](const auto& t) { return t.handle == reinterpret_cast<platform::WindowHandle>(w); });
  };
  for (HWND left : {window_, borderless, untitled, except}) EXPECT_EQ(position(left), found.end());
  ASSERT_NE(position(lower), found.end());
  ASSERT_NE(position(upper), found.end());
  EXPECT_LT(position(upper), position(lower)) << "topmost first";
  EXPECT_EQ(position(lower)->title, "Tsr lower \xE6\x97\xA5\xE6\x9C\xAC");
  EXPECT_EQ(position(upper)->title, "\xD0\x96" + std::string(400, 'y')) << "read whole, not cut at 255";
  for (HWND w : {borderless, untitled, lower, upper, except}) DestroyWindow(w);
}

TEST_F(Win32DesktopTest, RetitlingAWindowThatDoesNotAnswerGivesUpAfterTwoSeconds) {
  std::atomic<HWND> hung{nullptr};
  std::atomic<bool> release{false};
  std::thread owner([&] {
    hung = CreateWindowExW(0, L"TsrTestWindow", L"Tsr hung", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
    while (!release) Sleep(10);  // never looks at its messages
    pump();
    DestroyWindow(hung);
  });
  while (!hung) Sleep(1);
  const DWORD begin = GetTickCount();
  desktop_.setWindowText(reinterpret_cast<platform::WindowHandle>(hung.load()), "Tsr retitled");
  const DWORD waited = GetTickCount() - begin;
  release = true;
  owner.join();
  EXPECT_GE(waited, 1500u);
  EXPECT_LT(waited, 4000u);
}

TEST_F(Win32DesktopTest, ShowAndCloseArriveThroughTheQueue) {
  desktop_.showWindowAsync(handle(), platform::SwShowMinimized);
  pump();
  EXPECT_NE(IsIconic(window_), FALSE);
  desktop_.showWindowAsync(handle(), platform::SwHide);
  pump();
  EXPECT_EQ(IsWindowVisible(window_), FALSE);
  desktop_.postClose(handle());
  EXPECT_TRUE(desktop_.isWindow(handle()));  // only posted so far
  pump();
  EXPECT_FALSE(desktop_.isWindow(handle()));
  EXPECT_FALSE(desktop_.isWindow(0));
  EXPECT_EQ(desktop_.windowText(handle()), "");
}

}  // namespace
