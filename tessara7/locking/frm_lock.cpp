#include "tessara7/locking/frm_lock.h"

#include "tessara7/locking/lock_list.h"
#include "tessara7/locking/program_entries.h"
#include "tessara7/locking/tasks.h"

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

FrmLock::FrmLock(forms::Runtime& runtime, Host& host, LockList& lockList, platform::Desktop& desktop,
                 ProgramLookup& programs)
    : Form(runtime, "frmLock", "Select a Task to Lock", pickerStyle()),
      host_(host),
      lockList_(lockList),
      desktop_(desktop),
      programs_(programs) {
  lblTask.place({12, 10, 300, 18});
  lstWindows.place({12, 30, 300, 250});
  cmdSelect.place({324, 30, 84, 26});
  cmdSelectProgram.place({324, 62, 84, 26});
  cmdEdit.place({324, 94, 84, 26});
  cmdRefresh.place({324, 126, 84, 26});
  cmdCancel.place({324, 254, 84, 26});
  cmdwebpage.place({12, 290, 200, 18});
  cmdwebpage.setColor(0xC00000);  // blue, as a link
  setDefaultButton(cmdSelect);

  onLoad = [this] { FindTasks(); };
  onMouseDown = [this] { FindTasks(); };
  onUnload = [this] {
    if (editing_) host_.closeInputBox();
  };
  Timer1.onTimer = [this] { FindTasks(); };
  cmdRefresh.onClick = [this] { FindTasks(); };
  cmdSelect.onClick = [this] { cmdSelect_Click(); };
  lstWindows.onDblClick = [this] { cmdSelect_Click(); };
  cmdSelectProgram.onClick = [this] { cmdSelectProgram_Click(); };
  cmdEdit.onClick = [this] { cmdEdit_Click(); };
  cmdCancel.onClick = [this] { cmdCancel_Click(); };
  cmdwebpage.onClick = [this] { cmdwebpage_Click(); };
}

void FrmLock::FindTasks() {
  tasks_ = runningTasks(desktop_, programs_, handle());
  std::vector<std::string> lines;
  lines.reserve(tasks_.size());
  for (const RunningTask& task : tasks_) lines.push_back(pickerLine(task));
  lstWindows.setItems(std::move(lines));
}

RunningTask FrmLock::highlighted() const {
  const int index = lstWindows.listIndex();
  return index >= 0 && static_cast<std::size_t>(index) < tasks_.size() ? tasks_[static_cast<std::size_t>(index)]
                                                                        : RunningTask{};
}

void FrmLock::cmdSelect_Click() {
  std::string title = highlighted().title;
  if (title.empty()) return;
  if (lockList_.append(std::move(title), true, true)) unload();
}

void FrmLock::cmdSelectProgram_Click() {
  const RunningTask task = highlighted();
  if (task.title.empty()) return;
  if (task.program.empty()) {
    host_.showNotice("The program of \"" + task.title + "\" cannot be read. Lock its title instead.");
    return;
  }
  if (lockList_.append(task.program, true, true)) unload();
}

void FrmLock::cmdEdit_Click() {
  if (editing_) return;
  editing_ = true;
  const std::optional<std::string> edited = host_.inputBox("Edit task name:", "Edit Task", highlighted().title);
  editing_ = false;
  // The picker may have gone while the box was open.
  if (unloaded() || !edited || edited->empty()) return;
  if (lockList_.append(*edited, false, false)) unload();
}

void FrmLock::cmdCancel_Click() { unload(); }

void FrmLock::cmdwebpage_Click() {
  host_.showNotice(
      "Open the program or web browser you want to lock with a password (for web browser, open it  on "
      "the page you want locked), then, switch back here, click Refresh and select it from the list.");
}

}  // namespace tessara
