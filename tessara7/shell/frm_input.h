#pragma once
// A question with one line of text for an answer: the prompt, a text box
// holding the suggested text, OK and Cancel. App::inputBox shows it and waits.
#include <optional>
#include <string>

#include "forms/form.h"

namespace tessara {

class FrmInput : public forms::Form {
 public:
  explicit FrmInput(forms::Runtime& runtime);

  forms::Label lblPrompt{*this, "lblPrompt"};
  forms::TextBox txtInput{*this, "txtInput"};
  forms::Button cmdOK{*this, "cmdOK", "OK"};
  forms::Button cmdCancel{*this, "cmdCancel", "Cancel"};

  // Shows the question without waiting.
  void ask(const std::string& prompt, const std::string& title, const std::string& suggested);
  // The confirmed text once the box has gone; nothing after Cancel or the close box.
  const std::optional<std::string>& answer() const { return answer_; }

  void cmdOK_Click();
  void cmdCancel_Click();

 private:
  std::optional<std::string> answer_;
};

}  // namespace tessara
