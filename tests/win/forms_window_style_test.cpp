// Window frames of the forms, and the message loop of a forms program.
#include <windows.h>

#include <gtest/gtest.h>

#include "forms/form.h"
#include "forms/win32/form_view.h"
#include "forms/win32/message_loop.h"
#include "forms/win32/window_styles.h"
#include "platform/win32/win32_clock.h"

namespace {

using forms::Border;
using forms::FormStyle;
using forms::win32::formWindowStyle;

TEST(FormWindowStyle, BorderChoosesTheFrame) {
  FormStyle style;
  style.border = Border::FixedDialog;
  style.minButton = true;  // a dialog frame has none
  auto frame = formWindowStyle(style);
  EXPECT_TRUE(frame.exStyle & WS_EX_DLGMODALFRAME);
  EXPECT_FALSE(frame.style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));

  style.border = Border::Sizable;
  style.maxButton = true;
  frame = formWindowStyle(style);
  EXPECT_TRUE(frame.style & WS_THICKFRAME);
  EXPECT_TRUE(frame.style & WS_MINIMIZEBOX);
  EXPECT_TRUE(frame.style & WS_MAXIMIZEBOX);

  style.border = Border::None;
  style.toolWindow = true;
  frame = formWindowStyle(style);
  EXPECT_TRUE(frame.style & WS_POPUP);
  EXPECT_FALSE(frame.style & WS_CAPTION);
  EXPECT_TRUE(frame.exStyle & WS_EX_TOOLWINDOW);

  style.border = Border::FixedSingle;
  style.coverScreen = true;
  frame = formWindowStyle(style);
  EXPECT_TRUE(frame.style & WS_POPUP);
  EXPECT_FALSE(frame.style & WS_CAPTION);
  EXPECT_TRUE(frame.exStyle & WS_EX_TOPMOST);
}

class ScreenCover : public forms::Form {
 public:
  explicit ScreenCover(forms::Runtime& runtime) : Form(runtime, "frmCoverTest", "", coverStyle()) {}
  static FormStyle coverStyle() {
    FormStyle style;
    style.border = Border::None;
    style.coverScreen = true;
    style.toolWindow = true;
    return style;
  }
};

TEST(FormWindowStyle, CoverScreenFormCoversEveryMonitorOnTop) {
  platform::win32::Win32Clock clock;
  forms::win32::Win32ViewFactory factory;
  forms::Runtime runtime{clock, &factory, {}, {}};
  ScreenCover cover(runtime);
  cover.show();
  HWND window = reinterpret_cast<HWND>(cover.handle());
  RECT rect{};
  GetWindowRect(window, &rect);
  EXPECT_EQ(rect.left, GetSystemMetrics(SM_XVIRTUALSCREEN));
  EXPECT_EQ(rect.top, GetSystemMetrics(SM_YVIRTUALSCREEN));
  EXPECT_EQ(rect.right - rect.left, GetSystemMetrics(SM_CXVIRTUALSCREEN));
  EXPECT_EQ(rect.bottom - rect.top, GetSystemMetrics(SM_CYVIRTUALSCREEN));
  EXPECT_TRUE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
  cover.unload();
  forms::win32::doEvents();
}

TEST(FormsMessageLoop, RunsUntilQuitAndReportsEachMessage) {
  HWND sink = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_NE(sink, nullptr);
  for (int i = 0; i < 3; ++i) PostMessageW(sink, WM_NULL, 0, 0);
  forms::win32::quit(7);
  int seen = 0;
  EXPECT_EQ(forms::win32::runMessageLoop([&] { ++seen; }), 7);
  EXPECT_GE(seen, 3);
  DestroyWindow(sink);
}

TEST(FormsMessageLoop, DoEventsLeavesAQuitForTheMainLoop) {
  int seen = 0;
  forms::win32::quit(3);
  forms::win32::doEvents();
  EXPECT_EQ(forms::win32::runMessageLoop([&] { ++seen; }), 3);
  EXPECT_EQ(seen, 0);
}

}  // namespace
