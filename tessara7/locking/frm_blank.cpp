#include "tessara7/locking/frm_blank.h"

#include "tessara7/locking/lock_guard.h"

namespace tessara {
namespace {

forms::FormStyle blankStyle() {
  forms::FormStyle style;
  style.border = forms::Border::None;
  style.coverScreen = true;
  style.toolWindow = true;
  style.centred = false;
  style.background = 0x000000;
  return style;
}

}  // namespace

FrmBlank::FrmBlank(forms::Runtime& runtime, LockGuard& guard) : Form(runtime, "frmBlank", "", blankStyle()) {
  // Only the right password takes the blank screen away (the prompt unloads
  // it): a close from the keyboard or from another program is refused.
  onQueryUnload = [this](forms::CloseReason reason) {
    if (reason != forms::CloseReason::WindowsSession) cancelClose();
  };
  // A click on it takes the front from the prompt: the prompt comes back.
  onActivate = [&guard] { guard.watchClosely(); };
}

}  // namespace tessara
