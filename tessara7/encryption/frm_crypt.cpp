#include "tessara7/encryption/frm_crypt.h"

#include "tessara7/common/helpers.h"

namespace tessara {
namespace {

forms::FormStyle cryptStyle() {
  forms::FormStyle style;
  style.width = 420;
  style.height = 330;
  style.border = forms::Border::FixedDialog;
  style.centred = true;
  return style;
}

}  // namespace

FrmCrypt::FrmCrypt(forms::Runtime& runtime, bool& encryptionBusy)
    : Form(runtime, "frmCrypt", "Encrypt", cryptStyle()), encryptionBusy_(encryptionBusy) {
  lblTitle.place({16, 12, 200, 20});
  lblTitle.setColor(0x800000);
  Label1.place({300, 12, 104, 20});
  Label1.setColor(0x808080);
  lblDetails.place({16, 42, 388, 18});
  lblFile.place({16, 64, 388, 18});
  Pbar.place({16, 90, 340, 20});
  lblProgress.place({364, 92, 40, 18});
  List1.place({16, 120, 388, 104});
  List1.setVisible(false);
  List1.setToolTip("Error List");
  List1.addItem("Errors:");
  cmdabort.place({162, 232, 96, 28});
  Label2.place({16, 270, 388, 52});
  Label2.setColor(0x808080);

  onLoad = [this] { Form_Load(); };
  onQueryUnload = [this](forms::CloseReason reason) { Form_QueryUnload(reason); };
  cmdabort.onClick = [this] { cmdabort_Click(); };
  List1.onMouseMove = [this] { List1_MouseMove(); };
}

void FrmCrypt::Form_Load() { SetTopmost(*this, true); }

void FrmCrypt::cmdabort_Click() {
  if (cmdabort.caption() == "Abort") {
    encryptionBusy_ = true;
    cmdabort.setCaption("Wait...");
    cmdabort.setEnabled(false);
    return;
  }
  unload();
}

// Closing the window while a run goes on asks the run to stop, as Abort
// does; the window itself stays until the run has ended.
void FrmCrypt::Form_QueryUnload(forms::CloseReason reason) {
  if (reason == forms::CloseReason::WindowsSession || cmdabort.caption() == "Close") return;
  cancelClose();
  if (cmdabort.caption() == "Abort") cmdabort_Click();
}

void FrmCrypt::List1_MouseMove() {
  const int selected = List1.listIndex();
  if (selected >= 0 && selected < List1.count() && List1.toolTip() != List1.item(selected))
    List1.setToolTip(List1.item(selected));
}

}  // namespace tessara
