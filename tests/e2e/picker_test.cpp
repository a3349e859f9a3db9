// The task picker and the "Ignore List" window of the running program: what
// "Browse..." lists among real windows, what "Lock!" and "Edit..." add and
// Apply stores, and what "Remove" does to the store and to the watcher.
#include <algorithm>
#include <string>
#include <vector>

#include "tests/e2e/lock_helpers.h"
#include "tests/e2e/tessara_driver.h"

namespace e2e {
namespace {

using lock::RunningTessara;

// A window of the test's own, shown without taking the front, or left hidden.
OwnedWindow testWindow(const std::string& title, DWORD style, bool show) {
  static const ATOM registered = [] {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.lpszClassName = L"TsrPickerTask";
    return RegisterClassW(&windowClass);
  }();
  OwnedWindow window(CreateWindowExW(0, MAKEINTATOM(registered), widen(title).c_str(), style, 80, 80, 300, 200,
                                     nullptr, nullptr, nullptr, nullptr));
  if (window && show) ShowWindow(window.get(), SW_SHOWNOACTIVATE);
  pumpMessages();
  return window;
}

std::vector<std::string> lines(HWND form, const std::string& what) {
  return splitLines(query(form, what).value_or("<no answer>"));
}

// Where the picker lists the title (with its program beside it), -1 when it does not.
int indexIn(HWND picker, const std::string& title) {
  const auto titles = lines(picker, "lstWindows.items");
  const auto found = std::find_if(titles.begin(), titles.end(), [&](const std::string& line) {
    return line == title || line.starts_with(title + "  (");
  });
  return found == titles.end() ? -1 : static_cast<int>(found - titles.begin());
}

HWND openPicker(HWND main) {
  return clickButton(main, idOf("cmdSelect")) ? waitForVisibleWindow(names::PickerClass, 5000) : nullptr;
}

class TaskPickerE2eTest : public E2eTest {};

TEST_F(TaskPickerE2eTest, BrowseListsTheTasksAndLockAndEditAddToTheListThatApplyStores) {
  const std::string task = "Tsr picker task \xCE\xA9 \xD0\x97\xD0\xB0\xD0\xB4\xD0\xB0\xD1\x87\xD0\xB0";
  const OwnedWindow shown = testWindow(task, WS_OVERLAPPEDWINDOW, true);
  const OwnedWindow hidden = testWindow("Tsr picker hidden", WS_OVERLAPPEDWINDOW, false);
  const OwnedWindow borderless = testWindow("Tsr picker borderless", WS_POPUP, true);
  const OwnedWindow untitled = testWindow("", WS_OVERLAPPEDWINDOW, true);
  const OwnedWindow own = testWindow("Tessara picker check", WS_OVERLAPPEDWINDOW, true);
  RunningTessara tessara;
  ASSERT_NE(tessara.window, nullptr);
  HWND main = tessara.window;
  ASSERT_TRUE(unlockConfiguration(main));

  HWND picker = openPicker(main);
  ASSERT_NE(picker, nullptr) << "Browse... opened no picker";
  EXPECT_EQ(windowText(picker), "Select a Task to Lock");
  EXPECT_EQ(query(picker, "lblTask.caption"), "Running tasks:");
  EXPECT_GE(indexIn(picker, task), 0);
  for (const char* left : {"Tsr picker hidden", "Tsr picker borderless", "", "Tessara picker check",
                           "Select a Task to Lock", names::MainTitle})
    EXPECT_EQ(indexIn(picker, left), -1) << '"' << left << "\" is listed";

  // "Lock!" with nothing highlighted keeps the picker open.
  ASSERT_TRUE(clickButton(picker, idOf("cmdSelect")));
  EXPECT_TRUE(holdsFor(1000, [&] { return isVisible(picker); }));

  // A window opened after the picker shows after Refresh; once closed, a click on the
  // picker's background takes it away again.
  {
    const OwnedWindow later = testWindow("Tsr picker later", WS_OVERLAPPEDWINDOW, true);
    EXPECT_EQ(indexIn(picker, "Tsr picker later"), -1);
    ASSERT_TRUE(clickButton(picker, idOf("cmdRefresh")));
    EXPECT_TRUE(waitUntil(3000, [&] { return indexIn(picker, "Tsr picker later") >= 0; }));
  }
  ASSERT_TRUE(clickBackground(picker));
  EXPECT_TRUE(waitUntil(3000, [&] { return indexIn(picker, "Tsr picker later") < 0; }));

  // "Lock!" appends the whole title ticked and highlighted, and the picker goes.
  const int rows = static_cast<int>(lines(main, "lstProgram.items").size());
  ASSERT_TRUE(selectListItem(picker, idOf("lstWindows"), indexIn(picker, task)));
  ASSERT_TRUE(clickButton(picker, idOf("cmdSelect")));
  EXPECT_TRUE(waitUntil(3000, [&] { return !IsWindow(picker); })) << "the picker stays after Lock!";
  EXPECT_EQ(lines(main, "lstProgram.items").back(), task);
  EXPECT_EQ(lines(main, "lstProgram.checks").back(), "1");
  EXPECT_EQ(query(main, "lstProgram.listindex"), std::to_string(rows));

  // Each task shows its program: the test's own windows are this test program's.
  picker = openPicker(main);
  ASSERT_NE(picker, nullptr);
  const int at = indexIn(picker, task);
  ASSERT_GE(at, 0);
  EXPECT_EQ(lines(picker, "lstWindows.items").at(static_cast<std::size_t>(at)), task + "  (e2e_tests.exe)");
  ASSERT_TRUE(clickButton(picker, idOf("cmdCancel")));
  EXPECT_TRUE(waitUntil(3000, [&] { return !IsWindow(picker); }));

  // "Edit..." asks for the name, suggesting the title, and appends the answer unticked.
  picker = openPicker(main);
  ASSERT_NE(picker, nullptr);
  ASSERT_TRUE(selectListItem(picker, idOf("lstWindows"), indexIn(picker, task)));
  ASSERT_TRUE(clickButton(picker, idOf("cmdEdit")));
  HWND box = waitForVisibleWindow(names::InputBoxClass, 5000);
  ASSERT_NE(box, nullptr) << "no Edit Task box";
  EXPECT_EQ(windowText(box), "Edit Task");
  EXPECT_EQ(query(box, "lblPrompt.caption"), "Edit task name:");
  EXPECT_EQ(getText(box, idOf("txtInput")), task);
  ASSERT_TRUE(setText(box, idOf("txtInput"), "Tsr edited task"));
  ASSERT_TRUE(clickButton(box, idOf("cmdOK")));
  EXPECT_TRUE(waitUntil(3000, [&] { return !IsWindow(picker) && !IsWindow(box); }));
  EXPECT_EQ(lines(main, "lstProgram.items").back(), "Tsr edited task");
  EXPECT_EQ(lines(main, "lstProgram.checks").back(), "0");

  // "Lock Program" appends the highlighted window's program file, ticked.
  picker = openPicker(main);
  ASSERT_NE(picker, nullptr);
  ASSERT_TRUE(selectListItem(picker, idOf("lstWindows"), indexIn(picker, task)));
  ASSERT_TRUE(clickButton(picker, idOf("cmdSelectProgram")));
  EXPECT_TRUE(waitUntil(3000, [&] { return !IsWindow(picker); })) << "the picker stays after Lock Program";
  EXPECT_EQ(lines(main, "lstProgram.items").back(), "e2e_tests.exe");
  EXPECT_EQ(lines(main, "lstProgram.checks").back(), "1");

  // Apply stores the three rows.
  ASSERT_TRUE(clickButton(main, idOf("cmdok")));
  auto row = [&](int n, const char* name) {
    return RegistryFixture::readString(Root::Machine, "SOFTWARE\\TSR\\Windows" + std::to_string(n), name);
  };
  EXPECT_TRUE(waitUntil(5000, [&] { return row(rows + 2, "Window") == "e2e_tests.exe"; }));
  EXPECT_EQ(row(rows + 2, "Enabled"), "1");
  EXPECT_EQ(row(rows + 1, "Window"), "Tsr edited task");
  EXPECT_EQ(row(rows, "Window"), task);
  EXPECT_EQ(row(rows, "Enabled"), "1");
  EXPECT_EQ(row(rows + 1, "Enabled"), "0");
}

class IgnoreListE2eTest : public E2eTest {};

TEST_F(IgnoreListE2eTest, RemoveRewritesTheStoreAndTheWatcherLocksTheTitleAgain) {
  const char* removed = "Tsr ignored window";
  const char* kept = "Tsr other ignored window";
  RegistryFixture::writeString(Root::Machine, lock::kIgnoreKey, "Program0", removed);
  RegistryFixture::writeString(Root::Machine, lock::kIgnoreKey, "Program2", kept);
  lock::storeLockRow(0, "Tsr ignored");
  RunningTessara tessara;
  ASSERT_NE(tessara.window, nullptr);
  HWND main = tessara.window;
  ASSERT_TRUE(unlockConfiguration(main));

  ASSERT_TRUE(clickButton(main, idOf("cmdIgnore")));
  HWND window = waitForVisibleWindow(names::IgnoreListClass, 5000);
  ASSERT_NE(window, nullptr) << "Ignore opened no window";
  EXPECT_EQ(windowText(window), "Ignore List");
  EXPECT_EQ(lines(window, "List1.items"), (std::vector<std::string>{removed, kept}));

  ASSERT_TRUE(selectListItem(window, idOf("List1"), 0));
  ASSERT_TRUE(clickButton(window, idOf("CancelButton")));
  HWND notice = waitForVisibleWindow(kNoticeClass, 5000);
  ASSERT_NE(notice, nullptr);
  EXPECT_EQ(waitForAnswer(notice, "Label1.caption", "Setting takes effect on restart, or, upon logoff."),
            "Setting takes effect on restart, or, upon logoff.");
  dismissNotice();
  EXPECT_EQ(RegistryFixture::readString(Root::Machine, lock::kIgnoreKey, "Program0"), kept);
  for (const char* gone : {"Program1", "Program2"})
    EXPECT_FALSE(RegistryFixture::readString(Root::Machine, lock::kIgnoreKey, gone).has_value()) << gone;
  EXPECT_EQ(lines(main, "lstignore.items"), std::vector<std::string>{kept});
  ASSERT_TRUE(clickButton(window, idOf("OKButton")));
  EXPECT_TRUE(waitUntil(3000, [&] { return !IsWindow(window); }));

  // The watcher locks the removed title at once.
  const OwnedWindow locked = lock::makeWindow("TsrIgnored", removed, true);
  EXPECT_TRUE(waitUntil(lock::kSettleMs, [&] { return lock::isLockedAway(locked.get()); }));
  HWND prompt = lock::waitForPrompt();
  ASSERT_NE(prompt, nullptr);
  EXPECT_EQ(lock::promptSubject(prompt), removed);
}

}  // namespace
}  // namespace e2e
