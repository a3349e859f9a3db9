#pragma once
// The "Ignore List" window: the titles ignored through the password prompt,
// as stored, with "Remove" to stop ignoring one.
#include "forms/form.h"

namespace tessara {

class App;

class FrmIgnore : public forms::Form {
 public:
  explicit FrmIgnore(App& app);

  forms::Label Label1{*this, "Label1",
                      "Programs you have chosen to ignore (via the Password Prompt) are displayed here."};
  forms::ListBox List1{*this, "List1"};
  forms::Button CancelButton{*this, "CancelButton", "Remove"};
  forms::Button OKButton{*this, "OKButton", "OK"};

  void CancelButton_Click();
  void OKButton_Click();

 private:
  void Form_Load();

  App& app_;
};

}  // namespace tessara
