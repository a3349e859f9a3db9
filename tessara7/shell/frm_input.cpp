#include "tessara7/shell/frm_input.h"

namespace tessara {
namespace {

forms::FormStyle inputStyle() {
  forms::FormStyle style;
  style.width = 380;
  style.height = 118;
  style.border = forms::Border::FixedDialog;
  style.centred = true;
  return style;
}

}  // namespace

FrmInput::FrmInput(forms::Runtime& runtime) : Form(runtime, "frmInput", "", inputStyle()) {
  lblPrompt.place({12, 12, 268, 52});
  cmdOK.place({290, 10, 80, 25});
  cmdCancel.place({290, 42, 80, 25});
  txtInput.place({12, 80, 356, 23});
  setDefaultButton(cmdOK);

  cmdOK.onClick = [this] { cmdOK_Click(); };
  cmdCancel.onClick = [this] { cmdCancel_Click(); };
}

void FrmInput::ask(const std::string& prompt, const std::string& title, const std::string& suggested) {
  answer_.reset();
  setCaption(title);
  lblPrompt.setCaption(prompt);
  txtInput.setText(suggested);
  setFocus(txtInput);
  show();
}

void FrmInput::cmdOK_Click() {
  answer_ = txtInput.text();
  unload();
}

void FrmInput::cmdCancel_Click() {
  answer_.reset();
  unload();
}

}  // namespace tessara
