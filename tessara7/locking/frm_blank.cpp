#include "tessara7/locking/frm_blank.h"

#include "tessara7/shell/app.h"

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

FrmBlank::FrmBlank(App& app) : Form(app.runtime(), "frmBlank", "", blankStyle()) {}

}  // namespace tessara
