#include "tessara7/locking/frm_ignore.h"

#include "tessara7/locking/ignore_list.h"

namespace tessara {
namespace {

forms::FormStyle ignoreStyle() {
  forms::FormStyle style;
  style.width = 400;
  style.height = 300;
  style.border = forms::Border::FixedDialog;
  style.centred = true;
  return style;
}

}  // namespace

FrmIgnore::FrmIgnore(forms::Runtime& runtime, Host& host, IgnoreList& ignoreList)
    : Form(runtime, "frmignore", "Ignore List", ignoreStyle()), host_(host), ignoreList_(ignoreList) {
  Label1.place({12, 10, 376, 34});
  List1.place({12, 48, 376, 204});
  CancelButton.place({216, 264, 84, 26});
  OKButton.place({304, 264, 84, 26});
  setDefaultButton(OKButton);

  onLoad = [this] { Form_Load(); };
  CancelButton.onClick = [this] { CancelButton_Click(); };
  OKButton.onClick = [this] { OKButton_Click(); };
}

void FrmIgnore::Form_Load() { List1.setItems(ignoreList_.storedTitles()); }

void FrmIgnore::CancelButton_Click() {
  const int index = List1.listIndex();
  if (index < 0) return;
  const std::string title = List1.item(index);
  List1.removeItem(index);
  host_.showNotice("Setting takes effect on restart, or, upon logoff.");
  ignoreList_.rewriteStore(List1.items());
  // The watcher stops ignoring the title now, and the next Apply does not store it again.
  ignoreList_.forget(title);
}

void FrmIgnore::OKButton_Click() { unload(); }

}  // namespace tessara
