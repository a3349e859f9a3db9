// The window's side of the outside events: which message reaches which
// listener call and what the window answers, copy data that is not the
// Explorer menu's or is too long to read, and a handler that outlives its
// window events.
#include "platform/win32/win32_window_events.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "platform/win32/win32_tray.h"
#include "shared/names.h"

namespace {

using platform::win32::Win32WindowEvents;

struct Recorder final : platform::WindowEventListener {
  void foregroundMayHaveChanged() override { heard.push_back("foreground"); }
  void windowAppeared() override { heard.push_back("appeared"); }
  void explorerMenuClicked(std::span<const std::byte> message) override {
    heard.push_back("click");
    bytes.assign(message.begin(), message.end());
  }
  bool areYouRunning() override {
    heard.push_back("running?");
    return answer;
  }
  bool endForUninstaller() override {
    heard.push_back("end?");
    return answer;
  }
  void trayCallback(int mouseMessage) override { heard.push_back("tray " + std::to_string(mouseMessage)); }
  void taskbarRestarted() override { heard.push_back("taskbar"); }

  bool answer = false;
  std::vector<std::string> heard;
  std::vector<std::byte> bytes;
};

UINT registered(const wchar_t* name) { return RegisterWindowMessageW(name); }

LPARAM copyData(COPYDATASTRUCT& data) { return reinterpret_cast<LPARAM>(&data); }

TEST(Win32WindowEvents, EachMessageReachesItsListenerCallAndTheWindowAnswersForIt) {
  Recorder listener;
  Win32WindowEvents events(nullptr);
  const auto handle = events.messageHandler();
  const UINT running = registered(L"Tessara7.AreYouRunning");
  const UINT end = registered(L"Tessara7.EndForUninstall");
  EXPECT_EQ(handle(running, 0, 0), std::nullopt) << "heard before listening";

  events.listen(listener);
  EXPECT_EQ(handle(running, 0, 0), 0);
  EXPECT_EQ(handle(end, 0, 0), 0);
  listener.answer = true;
  EXPECT_EQ(handle(running, 0, 0), names::MainRunningAnswer);
  EXPECT_EQ(handle(end, 0, 0), names::EndForUninstallAccepted);
  EXPECT_EQ(handle(platform::win32::kTrayCallbackMessage, 1, MAKELPARAM(WM_RBUTTONUP, 0)), 0);
  EXPECT_EQ(handle(registered(L"TaskbarCreated"), 0, 0), 0);
  EXPECT_EQ(handle(WM_APP + 7, 0, 0), std::nullopt);
  EXPECT_EQ(listener.heard, (std::vector<std::string>{"running?", "end?", "running?", "end?",
                                                      "tray " + std::to_string(WM_RBUTTONUP), "taskbar"}));
}

TEST(Win32WindowEvents, OnlyTheExplorerMenusCopyDataIsHeardAndATooLongOneIsNotRead) {
  Recorder listener;
  Win32WindowEvents events(nullptr);
  events.listen(listener);
  const auto handle = events.messageHandler();
  std::byte sent[3] = {std::byte{1}, std::byte{2}, std::byte{3}};

  COPYDATASTRUCT other{names::ExplorerMenuCopyData + 1, sizeof(sent), sent};
  EXPECT_EQ(handle(WM_COPYDATA, 0, copyData(other)), std::nullopt) << "the view's own copy data was taken";
  // Claims more than the three bytes there are: refused without reading them.
  COPYDATASTRUCT tooLong{names::ExplorerMenuCopyData, explorer_menu::MaxBytes + 1, sent};
  EXPECT_EQ(handle(WM_COPYDATA, 0, copyData(tooLong)), FALSE);
  EXPECT_TRUE(listener.heard.empty());

  COPYDATASTRUCT click{names::ExplorerMenuCopyData, sizeof(sent), sent};
  EXPECT_EQ(handle(WM_COPYDATA, 0, copyData(click)), TRUE);
  EXPECT_EQ(listener.heard, std::vector<std::string>{"click"});
  EXPECT_EQ(listener.bytes, (std::vector<std::byte>{std::byte{1}, std::byte{2}, std::byte{3}}));
}

TEST(Win32WindowEvents, AHandlerThatOutlivesItsEventsHandlesNothing) {
  Recorder listener;
  Win32WindowEvents::MessageHandler handle;
  {
    Win32WindowEvents events(nullptr);
    events.listen(listener);
    handle = events.messageHandler();
  }
  EXPECT_EQ(handle(registered(L"TaskbarCreated"), 0, 0), std::nullopt);
  EXPECT_TRUE(listener.heard.empty());
}

}  // namespace
