// State queries answered by a form window from its model, asked the way the
// end-to-end tests ask: WM_COPYDATA with the asker's window in wParam.
#include <optional>
#include <string>

#include "forms/win32/state_query.h"
#include "shared/win32/module.h"
#include "forms_binding_fixture.h"

namespace binding_test {
namespace {

using forms::win32::kAnswerTag;
using forms::win32::kQueryTag;

// A message-only window that keeps the last answer it was sent.
class Asker {
 public:
  Asker() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &Asker::procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"TessaraStateQueryAsker";
    RegisterClassW(&windowClass);
    window_ = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              windowClass.hInstance, nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~Asker() { DestroyWindow(window_); }
  Asker(const Asker&) = delete;
  Asker& operator=(const Asker&) = delete;

  // nullopt when the form did not answer.
  std::optional<std::string> ask(HWND form, const std::string& query) {
    answer_.reset();
    COPYDATASTRUCT request{kQueryTag, static_cast<DWORD>(query.size()), const_cast<char*>(query.data())};
    const LRESULT answered =
        SendMessageW(form, WM_COPYDATA, reinterpret_cast<WPARAM>(window_), reinterpret_cast<LPARAM>(&request));
    if (!answered) return std::nullopt;
    return answer_ ? answer_ : std::optional<std::string>("<answered TRUE without an answer>");
  }

 private:
  static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Asker*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_COPYDATA && self) {
      const auto& data = *reinterpret_cast<const COPYDATASTRUCT*>(lParam);
      if (data.dwData != kAnswerTag) return FALSE;
      self->answer_ = std::string(static_cast<const char*>(data.lpData), data.cbData);
      return TRUE;
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }
  HWND window_ = nullptr;
  std::optional<std::string> answer_;
};

class StateQuery : public FormsBinding {
 protected:
  void SetUp() override {
    // Read once per process, on the first query.
    win32kit::setMachineSwitch(L"StateQuery", true);
    FormsBinding::SetUp();
  }
  std::optional<std::string> ask(const std::string& query) { return asker.ask(window(), query); }
  Asker asker;
};

TEST_F(StateQuery, AnswersFormAndControlState) {
  EXPECT_EQ(ask("form.caption"), "Binding sample");
  EXPECT_EQ(ask("form.visible"), "0");
  form->show();
  EXPECT_EQ(ask("form.visible"), "1");

  EXPECT_EQ(ask("lstProgram.items"), "Notepad\nCalculator\nRegistry Editor");
  EXPECT_EQ(ask("lstProgram.checks"), "1\n0\n1");
  form->lstProgram.setChecked(1, true);
  EXPECT_EQ(ask("lstProgram.checks"), "1\n1\n1");
  EXPECT_EQ(ask("lstProgram.listindex"), "-1");

  form->chkLockStart.setValue(1);
  EXPECT_EQ(ask("chkLockStart.value"), "1");
  EXPECT_EQ(ask("chkLockStart.caption"), "Lock at start");
  EXPECT_EQ(ask("OptAllUsers.value"), "1");
  EXPECT_EQ(ask("OptThisUser.value"), "0");
  form->fraOptions.setEnabled(false);
  EXPECT_EQ(ask("fraOptions.enabled"), "0");
  EXPECT_EQ(ask("lblTitle.tooltip"), "The title");
  EXPECT_EQ(ask("tmrTick.interval"), "1000");
  EXPECT_EQ(ask("tmrTick.running"), "0");

  form->SSTab1.setTabEnabled(2, false);
  EXPECT_EQ(ask("SSTab1.tabenabled"), "1\n1\n0");
  EXPECT_EQ(ask("SSTab1.tab"), "0");
  EXPECT_EQ(ask("lstAllow.items"), "") << "an empty list answers empty text";
}

TEST_F(StateQuery, AnswersMenuState) {
  form->findMenu("chkTaskManager")->setChecked(true);
  EXPECT_EQ(ask("menu.chkTaskManager.checked"), "1");
  EXPECT_EQ(ask("menu.chkTaskManager.enabled"), "1");
  EXPECT_EQ(ask("menu.mnuHiddenItem.visible"), "0");
  EXPECT_EQ(ask("menu.mnuTray.items"), "Configure");
  EXPECT_EQ(ask("menu.mnuFile.items"), "Lock &Task Manager\n-\nHidden\nE&xit");
}

TEST_F(StateQuery, KeepsPasswordsAndRefusesUnknownQueries) {
  form->txtName.setText("alice");
  form->txtPassword.setText("secret");
  EXPECT_EQ(ask("txtName.text"), "alice");
  EXPECT_EQ(ask("txtPassword.text"), std::nullopt) << "a password box's text is never answered";
  EXPECT_EQ(ask("txtPassword.enabled"), "1");
  EXPECT_EQ(ask("nosuchControl.value"), std::nullopt);
  EXPECT_EQ(ask("menu.nosuchItem.checked"), std::nullopt);
  EXPECT_EQ(ask("chkLockStart.nosuchProperty"), std::nullopt);
  EXPECT_EQ(ask("garbage"), std::nullopt);
}

TEST_F(StateQuery, OtherCopyDataStillReachesTheHooks) {
  ULONG_PTR seenTag = 0;
  forms::win32::Win32FormView::viewOf(*form)->addMessageHook(
      [&](UINT message, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
        if (message != WM_COPYDATA) return std::nullopt;
        seenTag = reinterpret_cast<const COPYDATASTRUCT*>(lParam)->dwData;
        return std::nullopt;
      });
  COPYDATASTRUCT other{0x1234, 0, nullptr};
  EXPECT_EQ(SendMessageW(window(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&other)), FALSE);
  EXPECT_EQ(seenTag, 0x1234u);
  EXPECT_EQ(ask("form.caption"), "Binding sample");
}

}  // namespace
}  // namespace binding_test
