#pragma once
// The "Ignore List" window: the titles ignored through the password prompt,
// as stored, with "Remove" to stop ignoring one.
#include <string>

#include "forms/form.h"

namespace tessara {

class IgnoreList;

class FrmIgnore : public forms::Form {
 public:
  // What the window needs of the program around it.
  class Host {
   public:
    virtual ~Host() = default;
    virtual void showNotice(std::string text) = 0;
  };
  FrmIgnore(forms::Runtime& runtime, Host& host, IgnoreList& ignoreList);

  forms::Label Label1{*this, "Label1",
                      "Programs you have chosen to ignore (via the Password Prompt) are displayed here."};
  forms::ListBox List1{*this, "List1"};
  forms::Button CancelButton{*this, "CancelButton", "Remove"};
  forms::Button OKButton{*this, "OKButton", "OK"};

  void CancelButton_Click();
  void OKButton_Click();

 private:
  void Form_Load();

  Host& host_;
  IgnoreList& ignoreList_;
};

}  // namespace tessara
