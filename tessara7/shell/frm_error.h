#pragma once
// The notice window: the one place where the program tells the user things.
// Modeless; its text follows NoticeText within a tenth of a second.
#include <string>

#include "forms/form.h"
#include "platform/shell.h"

namespace tessara {

struct AppState;
class RegistryAccess;

class FrmError : public forms::Form {
 public:
  // The text and the answer are the state's NoticeText and NoticeAnswer.
  FrmError(forms::Runtime& runtime, AppState& state, platform::Shell& shell, RegistryAccess& registry);

  forms::Label Label1{*this, "Label1"};
  forms::Label lblprogramname{*this, "lblprogramname"};
  forms::Button cmdok{*this, "cmdok", "OK"};
  forms::Button cmdCancel{*this, "cmdCancel", "Cancel"};
  forms::Button cmdupdate{*this, "cmdupdate", "Update"};
  forms::Timer Timer1{*this, "Timer1", 100, true};

  // The text as shown: carriage returns become line breaks.
  static std::string displayText(const std::string& notice);

 private:
  void Form_Load();
  void Timer1_Timer();
  void cmdok_Click();
  void cmdCancel_Click();
  void cmdupdate_Click();

  AppState& state_;
  platform::Shell& shell_;
  RegistryAccess& registry_;
};

}  // namespace tessara
