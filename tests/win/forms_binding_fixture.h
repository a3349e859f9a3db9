#pragma once
// A small window with one control of each kind and a menu, shown through the
// real Win32 binding, for the binding's tests.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "forms/form.h"
#include "forms/win32/form_view.h"
#include "forms/win32/message_loop.h"
#include "platform/win32/win32_clock.h"

namespace binding_test {

inline forms::FormStyle sampleStyle() {
  forms::FormStyle style;
  style.width = 420;
  style.height = 330;
  style.border = forms::Border::FixedSingle;
  style.minButton = true;
  return style;
}

class SampleForm : public forms::Form {
 public:
  explicit SampleForm(forms::Runtime& runtime) : Form(runtime, "frmBindingSample", "Binding sample", sampleStyle()) {
    SSTab1.place({8, 8, 404, 270});
    lblTitle.place({20, 40, 220, 16}, 0);
    fraOptions.place({20, 62, 200, 100}, 0);
    chkLockStart.place({32, 82, 170, 20}, 0, &fraOptions);
    OptAllUsers.place({32, 106, 170, 20}, 0, &fraOptions);
    OptThisUser.place({32, 130, 170, 20}, 0, &fraOptions);
    txtName.place({236, 62, 160, 22}, 0);
    txtPassword.place({236, 94, 160, 22}, 0);
    lstProgram.place({20, 172, 376, 96}, 0);
    lstAllow.place({20, 40, 376, 200}, 1);
    Pbar.place({20, 246, 376, 20}, 1);
    lstignore.place({20, 40, 376, 200}, 2);
    cmdOk.place({236, 290, 84, 26});
    cmdCancel.place({328, 290, 84, 26});

    txtPassword.setPasswordChar('*');
    txtName.setMaxLength(20);
    lblTitle.setToolTip("The title");
    lstProgram.addItem("Notepad", true);
    lstProgram.addItem("Calculator", false);
    lstProgram.addItem("Registry Editor", true);
    OptAllUsers.select();

    auto& file = addMenu("mnuFile", "&File");
    file.add("chkTaskManager", "Lock &Task Manager");
    file.add("mnuSep1", "-");
    file.add("mnuHiddenItem", "Hidden").setVisible(false);
    file.add("mnuExit", "E&xit");
    auto& tray = addMenu("mnuTray", "Tray");
    tray.setVisible(false);
    tray.add("mnuConfigure", "Configure");
  }

  forms::TabControl SSTab1{*this, "SSTab1", {"General", "Released", "Debug"}};
  forms::Label lblTitle{*this, "lblTitle", "Locked programs"};
  forms::Frame fraOptions{*this, "fraOptions", "Options"};
  forms::CheckBox chkLockStart{*this, "chkLockStart", "Lock at start"};
  forms::OptionButton OptAllUsers{*this, "OptAllUsers", "All users"};
  forms::OptionButton OptThisUser{*this, "OptThisUser", "This user"};
  forms::TextBox txtName{*this, "txtName"};
  forms::TextBox txtPassword{*this, "txtPassword"};
  forms::CheckList lstProgram{*this, "lstProgram"};
  forms::ListBox lstAllow{*this, "lstAllow"};
  forms::ProgressBar Pbar{*this, "Pbar", 3600};
  forms::ListBox lstignore{*this, "lstignore"};
  forms::Button cmdOk{*this, "cmdOk", "OK"};
  forms::Button cmdCancel{*this, "cmdCancel", "Cancel"};
  forms::Timer tmrTick{*this, "tmrTick", 1000, false};
};

class FormsBinding : public ::testing::Test {
 protected:
  void SetUp() override {
    form = std::make_unique<SampleForm>(runtime);
    form->load();
    ASSERT_NE(window(), nullptr);
  }
  void TearDown() override {
    form.reset();
    forms::win32::doEvents();
  }

  HWND window() const { return reinterpret_cast<HWND>(form->handle()); }
  forms::win32::Win32FormView& view() const { return *forms::win32::Win32FormView::viewOf(*form); }
  HWND child(const forms::Control& control) const { return view().controlWindow(control); }
  LRESULT send(const forms::Control& control, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return SendMessageW(child(control), message, wParam, lParam);
  }
  // A notification as the control itself sends it to the form.
  void notify(const forms::Control& control, WORD code) const {
    SendMessageW(window(), WM_COMMAND, MAKEWPARAM(control.id(), code), reinterpret_cast<LPARAM>(child(control)));
  }
  std::wstring text(HWND hwnd) const {
    wchar_t buffer[512] = {};
    GetWindowTextW(hwnd, buffer, 512);
    return buffer;
  }
  std::wstring listText(const forms::Control& control, int index) const {
    wchar_t buffer[512] = {};
    send(control, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer));
    return buffer;
  }

  platform::win32::Win32Clock clock;
  forms::win32::Win32ViewFactory factory;
  std::vector<std::string> errors;
  forms::Runtime runtime{clock, &factory, [this](const std::string& error) { errors.push_back(error); },
                         [] { forms::win32::doEvents(); }};
  std::unique_ptr<SampleForm> form;
};

}  // namespace binding_test
