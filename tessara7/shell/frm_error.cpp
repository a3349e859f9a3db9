#include "tessara7/shell/frm_error.h"

#include "tessara7/settings/store_keys.h"
#include "tessara7/settings/registry_access.h"
#include "tessara7/shell/app_state.h"
#include "tessara7/common/web_page.h"

namespace tessara {
namespace {

forms::FormStyle noticeStyle() {
  forms::FormStyle style;
  style.width = 420;
  style.height = 200;
  style.border = forms::Border::FixedDialog;
  style.centred = true;
  return style;
}

}  // namespace

FrmError::FrmError(forms::Runtime& runtime, AppState& state, platform::Shell& shell, RegistryAccess& registry)
    : Form(runtime, "frmError", "Message:", noticeStyle()), state_(state), shell_(shell), registry_(registry) {
  Label1.place({16, 14, 388, 132});
  lblprogramname.place({16, 164, 140, 18});
  lblprogramname.setColor(0x808080);
  cmdupdate.place({150, 158, 80, 28});
  cmdupdate.setVisible(false);
  cmdok.place({236, 158, 80, 28});
  cmdCancel.place({324, 158, 80, 28});
  setDefaultButton(cmdok);

  onLoad = [this] { Form_Load(); };
  onActivate = [this] { lblprogramname.setCaption("Tessara 7"); };
  Timer1.onTimer = [this] { Timer1_Timer(); };
  cmdok.onClick = [this] { cmdok_Click(); };
  cmdCancel.onClick = [this] { cmdCancel_Click(); };
  cmdupdate.onClick = [this] { cmdupdate_Click(); };
}

std::string FrmError::displayText(const std::string& notice) {
  std::string shown;
  shown.reserve(notice.size());
  for (std::size_t i = 0; i < notice.size(); ++i) {
    if (notice[i] == '\r') {
      shown += '\n';
      if (i + 1 < notice.size() && notice[i + 1] == '\n') ++i;
    } else {
      shown += notice[i];
    }
  }
  return shown;
}

void FrmError::Form_Load() {
  lblprogramname.setCaption("Tessara 7");
  Timer1_Timer();  // the text is there from the first moment, not 100 ms later
}

void FrmError::Timer1_Timer() { Label1.setCaption(displayText(state_.NoticeText)); }

void FrmError::cmdok_Click() {
  state_.NoticeAnswer = "ok";
  state_.NoticeText.clear();
  unload();
}

void FrmError::cmdCancel_Click() {
  state_.NoticeAnswer = "cancel";
  state_.NoticeText.clear();
  unload();
}

void FrmError::cmdupdate_Click() {
  shell_.shellExecute(handle(), "open", webPage("/update.html"), platform::SwShowNormal);
  registry_.SaveStringValue(platform::Root::Machine, "software\\tsr", "help", "1");
}

}  // namespace tessara
