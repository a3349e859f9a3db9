// Checks of the harness itself against a stand-in form on a thread of this process, so
// that a fault in the harness is not mistaken for a fault of the programs.
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "forms/control_id.h"
#include "forms/win32/state_query.h"
#include "tests/e2e/harness.h"

namespace e2e {
namespace {

const int kOk = forms::controlId("cmdok");
const int kName = forms::controlId("txtname");
const int kMenuConfig = forms::controlId("mconfig");

struct Command {
  int id;
  int code;
  HWND from;
};

// A top-level window with a button and a text box that answers state queries the way
// the program's forms do, and records the commands it receives.
class StandInForm {
 public:
  explicit StandInForm(std::map<std::string, std::string> answers) : answers_(std::move(answers)) {
    thread_ = std::thread([this] { run(); });
    std::unique_lock lock(mutex_);
    ready_.wait(lock, [this] { return window_ != nullptr; });
  }
  ~StandInForm() {
    if (IsWindow(window_)) PostMessageW(window_, WM_CLOSE, 0, 0);
    thread_.join();
  }
  HWND window() const { return window_; }
  HWND child(int id) const { return GetDlgItem(window_, id); }
  std::vector<Command> commands() {
    std::lock_guard lock(mutex_);
    return commands_;
  }
  bool waitForCommands(std::size_t n) {
    for (int i = 0; i < 100; ++i) {
      if (commands().size() >= n) return true;
      Sleep(20);
    }
    return false;
  }
  bool closed() {
    std::lock_guard lock(mutex_);
    return closed_;
  }

 private:
  static LRESULT CALLBACK proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<StandInForm*>(GetWindowLongPtrW(w, GWLP_USERDATA));
    if (m == WM_NCCREATE) {
      self = static_cast<StandInForm*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
      SetWindowLongPtrW(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    if (self && m == WM_COPYDATA) return self->answer(reinterpret_cast<HWND>(wp), lp);
    if (self && m == WM_COMMAND && LOWORD(wp) != kName) {  // not the text box's EN_ notices
      std::lock_guard lock(self->mutex_);
      self->commands_.push_back({LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp)});
      return 0;
    }
    if (self && m == WM_CLOSE) {
      std::lock_guard lock(self->mutex_);
      self->closed_ = true;
    }
    if (m == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(w, m, wp, lp);
  }

  LRESULT answer(HWND asker, LPARAM lp) {
    const auto* request = reinterpret_cast<const COPYDATASTRUCT*>(lp);
    if (request->dwData != forms::win32::kQueryTag) return FALSE;
    const std::string what(static_cast<const char*>(request->lpData), request->cbData);
    std::string text;
    if (what == "txtname.text") {
      text = windowText(child(kName));
    } else if (auto it = answers_.find(what); it != answers_.end()) {
      text = it->second;
    } else {
      return FALSE;
    }
    COPYDATASTRUCT reply{forms::win32::kAnswerTag, static_cast<DWORD>(text.size()), text.data()};
    SendMessageW(asker, WM_COPYDATA, reinterpret_cast<WPARAM>(window_), reinterpret_cast<LPARAM>(&reply));
    return TRUE;
  }

  void run() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TessaraE2eStandIn";
    RegisterClassW(&wc);
    HWND w = CreateWindowExW(0, wc.lpszClassName, L"Stand-in form", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200,
                             nullptr, nullptr, wc.hInstance, this);
    CreateWindowExW(0, L"BUTTON", L"OK", WS_CHILD | BS_PUSHBUTTON, 10, 10, 80, 24, w,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(kOk)), wc.hInstance, nullptr);
    CreateWindowExW(0, L"EDIT", L"", WS_CHILD | ES_AUTOHSCROLL, 10, 40, 200, 24, w,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(kName)), wc.hInstance, nullptr);
    {
      std::lock_guard lock(mutex_);
      window_ = w;
    }
    ready_.notify_all();
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  }

  std::map<std::string, std::string> answers_;
  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable ready_;
  HWND window_ = nullptr;
  std::vector<Command> commands_;
  bool closed_ = false;
};

TEST(HarnessText, Utf8RoundTripsThroughTheWideApi) {
  const std::string text = "Passwort \xC3\xA4\xC3\xB6\xC3\xBC \xE2\x82\xAC";  // äöü €
  EXPECT_EQ(widen(text), L"Passwort \u00e4\u00f6\u00fc \u20ac");
  EXPECT_EQ(narrow(widen(text)), text);
  EXPECT_EQ(widen(""), L"");
}

TEST(HarnessPaths, UnixPathsBecomeDriveZPaths) {
  EXPECT_EQ(toWindowsPath("/work/main/build/win/bin"), "Z:\\work\\main\\build\\win\\bin");
  EXPECT_EQ(toWindowsPath("C:\\windows\\notepad.exe"), "C:\\windows\\notepad.exe");
}

TEST(HarnessWindows, FindsCountsAndDrivesAForm) {
  StandInForm form({});
  EXPECT_EQ(waitForWindow("Stand-in form", 1000), form.window());
  EXPECT_EQ(waitForWindow("Stand-in form", 0, "NoSuchClass"), nullptr);
  EXPECT_EQ(countTopLevelWindows("Stand-in form"), 1);
  EXPECT_FALSE(isVisible(form.window())) << "hidden windows must be found too";
  EXPECT_EQ(processOf(form.window()), GetCurrentProcessId());
  EXPECT_EQ(windowClass(form.window()), "TessaraE2eStandIn");

  ASSERT_TRUE(setText(form.window(), kName, "Zürich"));
  EXPECT_EQ(getText(form.window(), kName), "Zürich");
  EXPECT_FALSE(setText(form.window(), kName + 1, "x")) << "no control has that id";
  EXPECT_EQ(getText(form.window(), kName + 1), std::nullopt);

  ASSERT_TRUE(clickButton(form.window(), kOk));
  ASSERT_TRUE(postMenuCommand(form.window(), kMenuConfig));
  ASSERT_TRUE(form.waitForCommands(2));
  const auto commands = form.commands();
  EXPECT_EQ(commands[0].id, kOk);
  EXPECT_EQ(commands[0].code, BN_CLICKED);
  EXPECT_EQ(commands[0].from, form.child(kOk));
  EXPECT_EQ(commands[1].id, kMenuConfig);
  EXPECT_EQ(commands[1].code, 0);
  EXPECT_EQ(commands[1].from, nullptr);

  ASSERT_TRUE(postClose(form.window()));
  EXPECT_TRUE(waitForNoWindow("Stand-in form", 2000));
  EXPECT_TRUE(form.closed());
  EXPECT_EQ(countTopLevelWindows("Stand-in form"), 0);
}

TEST(HarnessQuery, ReturnsTheFormsAnswerOrNothing) {
  StandInForm form({{"form.caption", "Stand-in form"}, {"lstTasks.items", "Notepad\nR\xC3\xA9sum\xC3\xA9"},
                    {"cmdok.enabled", "1"}, {"txtEmpty.text", ""}});
  EXPECT_EQ(query(form.window(), "form.caption"), "Stand-in form");
  EXPECT_EQ(query(form.window(), "lstTasks.items"), "Notepad\nRésumé");
  EXPECT_EQ(query(form.window(), "cmdok.enabled"), "1");
  EXPECT_EQ(query(form.window(), "txtEmpty.text"), "");
  EXPECT_EQ(query(form.window(), "nosuch.value"), std::nullopt);
  ASSERT_TRUE(setText(form.window(), kName, "typed"));
  EXPECT_EQ(query(form.window(), "txtname.text"), "typed");
  EXPECT_EQ(query(nullptr, "form.caption"), std::nullopt);
}

class HarnessRegistry : public E2eTest {};

TEST_F(HarnessRegistry, WritesReadsAndClearsTheStore) {
  const std::string key = "Software\\TSR\\HarnessCheck";
  for (Root root : {Root::Machine, Root::User}) {
    ASSERT_TRUE(RegistryFixture::writeString(root, key, "Name", "Grüße"));
    ASSERT_TRUE(RegistryFixture::writeDword(root, key + "\\Deeper", "Flag", 7));
    EXPECT_EQ(RegistryFixture::readString(root, key, "Name"), "Grüße");
    EXPECT_EQ(RegistryFixture::readDword(root, key + "\\Deeper", "Flag"), 7u);
    EXPECT_EQ(RegistryFixture::readDword(root, key, "Name"), std::nullopt) << "a string is no DWORD";
    EXPECT_EQ(RegistryFixture::readString(root, key + "\\Deeper", "Flag"), std::nullopt);
    EXPECT_EQ(RegistryFixture::readString(root, key, "Missing"), std::nullopt);
    ASSERT_TRUE(RegistryFixture::writeString(root, key, "Empty", ""));
    EXPECT_EQ(RegistryFixture::readString(root, key, "Empty"), "");
    EXPECT_TRUE(RegistryFixture::deleteValue(root, key, "Empty"));
    EXPECT_EQ(RegistryFixture::readString(root, key, "Empty"), std::nullopt);
  }
  EXPECT_EQ(RegistryFixture::readString(Root::User, "Software\\TSR\\NoSuchKey", "Name"), std::nullopt);

  RegistryFixture::clearStore();
  EXPECT_FALSE(RegistryFixture::keyExists(Root::Machine, "Software\\TSR"));
  EXPECT_FALSE(RegistryFixture::keyExists(Root::User, "Software\\TSR"));
  EXPECT_TRUE(RegistryFixture::keyExists(Root::User, "Software")) << "only the store goes";
}

}  // namespace
}  // namespace e2e
