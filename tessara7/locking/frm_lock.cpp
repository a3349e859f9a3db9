#include "tessara7/locking/frm_lock.h"

#include "tessara7/locking/lock_list.h"
#include "tessara7/locking/tasks.h"
#include "tessara7/shell/app.h"

namespace tessara {
namespace {

forms::FormStyle pickerStyle() {
  forms::FormStyle style;
  style.width = 420;
  style.height = 318;
  style.border = forms::Border::FixedDialog;
  style.centred = true;
  return style;
}

}  // namespace

FrmLock::FrmLock(App& app) : Form(app.runtime(), "frmLock", "Select a Task to Lock", pickerStyle()), app_(app) {
  lblTask.place({12, 10, 300, 18});
  lstWindows.place({12, 30, 300, 250});
  cmdSelect.place({324, 30, 84, 26});
  cmdEdit.place({324, 62, 84, 26});
  cmdRefresh.place({324, 94, 84, 26});
  cmdCancel.place({324, 254, 84, 26});
  cmdwebpage.place({12, 290, 200, 18});
  cmdwebpage.setColor(0xC00000);  // blue, as a link
  setDefaultButton(cmdSelect);

  onLoad = [this] { FindTasks(); };
  onMouseDown = [this] { FindTasks(); };
  onUnload = [this] {
    if (editing_) app_.closeInputBox();
  };
  Timer1.onTimer = [this] { FindTasks(); };
  cmdRefresh.onClick = [this] { FindTasks(); };
  cmdSelect.onClick = [this] { cmdSelect_Click(); };
  lstWindows.onDblClick = [this] { cmdSelect_Click(); };
  cmdEdit.onClick = [this] { cmdEdit_Click(); };
  cmdCancel.onClick = [this] { cmdCancel_Click(); };
  cmdwebpage.onClick = [this] { cmdwebpage_Click(); };
}

void FrmLock::FindTasks() { lstWindows.setItems(runningTasks(app_.os().desktop, handle())); }

std::string FrmLock::highlighted() const {
  const int index = lstWindows.listIndex();
  return index >= 0 && index < lstWindows.count() ? lstWindows.item(index) : std::string{};
}

void FrmLock::cmdSelect_Click() {
  std::string title = highlighted();
  if (title.empty()) return;
  if (app_.lockList().append(std::move(title), true, true)) unload();
}

void FrmLock::cmdEdit_Click() {
  if (editing_) return;
  editing_ = true;
  const std::optional<std::string> edited = app_.inputBox("Edit task name:", "Edit Task", highlighted());
  editing_ = false;
  // The picker may have gone while the box was open.
  if (unloaded() || !edited || edited->empty()) return;
  if (app_.lockList().append(*edited, false, false)) unload();
}

void FrmLock::cmdCancel_Click() { unload(); }

void FrmLock::cmdwebpage_Click() {
  app_.showNotice(
      "Open the program or web browser you want to lock with a password (for web browser, open it  on "
      "the page you want locked), then, switch back here, click Refresh and select it from the list.");
}

}  // namespace tessara
