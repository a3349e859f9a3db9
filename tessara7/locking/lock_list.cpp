// The lock list of the "Access Control" page and the per-run release lists.
#include "tessara7/settings/store_keys.h"
#include "tessara7/shell/app.h"
#include "tessara7/shell/frm_config.h"

namespace tessara {
namespace {
constexpr int kDeleteKey = 46;
}

void FrmConfig::connectLockList() {
  cmdAdd.onClick = [this] { cmdAdd_Click(); };
  cmdDel.onClick = [this] { cmdDel_Click(); };
  lstProgram.onKeyDown = [this](int key) { lstProgram_KeyDown(key); };
  lstProgram.onItemCheck = [this](int) { updateStatus(); };
  txtTask.onClick = [this] { setDefaultButton(cmdAdd); };
  cmdHelper0.onClick = [this] {
    app_.showNotice("A task name appears at the top of a program window, e.g. Microsoft Word.");
  };
  cmdlockprogram.onClick = [this] { cmdlockprogram_Click(); };
  mnuResetLocks.onClick = [this] { mnuResetLocks_Click(); };
  mLockWorkstation.onClick = [this] { mLockWorkstation_Click(); };
}

void FrmConfig::cmdAdd_Click() {
  std::string task = txtTask.text();
  if (task.size() < 3) {
    app_.showNotice(
        "Please type a Task Name that's more than 2 characters. Or, click Browse to select from "
        "running tasks.");
    return;
  }
  // Only rows 0 to 998 are read back, so a longer list would lose its tail.
  if (lstProgram.count() >= keys::kLockRowsRead) {
    app_.showNotice("The list holds at most 999 task names. Remove one before adding another.");
    return;
  }
  lstProgram.addItem(std::move(task), false);
  txtTask.setText("");
  lstProgram.setListIndex(lstProgram.count() - 1);
  updateStatus();
}

void FrmConfig::cmdDel_Click() {
  if (lstProgram.listIndex() >= 0) lstProgram.removeItem(lstProgram.listIndex());
  setDefaultButton(cmdDel);
  updateStatus();
}

void FrmConfig::lstProgram_KeyDown(int key) {
  if (key != kDeleteKey || lstProgram.listIndex() < 0) return;
  lstProgram.removeItem(lstProgram.listIndex());
  updateStatus();
}

void FrmConfig::cmdlockprogram_Click() {
  if (askConfigPassword()) return;
  SSTab1.setTab(PageAccess);
  setFocus(txtTask);
  setDefaultButton(cmdAdd);
}

void FrmConfig::mnuResetLocks_Click() {
  lstUnlockedWin.clear();
  lstAllow.clear();
}

}  // namespace tessara
