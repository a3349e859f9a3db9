#include "tessara7/history/frm_history.h"

#include "tessara7/history/history_view.h"

namespace tessara {
namespace {

forms::FormStyle historyStyle() {
  forms::FormStyle style;
  style.width = 720;
  style.height = 440;
  style.border = forms::Border::FixedDialog;
  style.centred = true;
  return style;
}

}  // namespace

FrmHistory::FrmHistory(Host& host, Parts parts)
    : Form(parts.runtime, "frmHistory", "History", historyStyle()), host_(host), p_(parts) {
  lblShow.place({12, 12, 140, 18});
  lstKinds.place({12, 32, 180, 330});
  lstEvents.place({204, 12, 504, 350});
  lblNotKept.place({12, 370, 500, 30});
  cmdExport.place({444, 404, 84, 26});
  cmdClear.place({534, 404, 84, 26});
  cmdClose.place({624, 404, 84, 26});
  setDefaultButton(cmdClose);

  onLoad = [this] { Form_Load(); };
  lstKinds.onClick = [this] { lstKinds_Click(); };
  cmdExport.onClick = [this] { cmdExport_Click(); };
  cmdClear.onClick = [this] { cmdClear_Click(); };
  cmdClose.onClick = [this] { cmdClose_Click(); };
}

void FrmHistory::Form_Load() {
  lstKinds.setItems(historyFilterItems());
  lstKinds.setListIndex(0);
  refresh();
}

void FrmHistory::refresh() { showLines(p_.history.lines()); }

void FrmHistory::showLines(const HistoryQueue::Lines& lines) {
  lines_ = lines;
  lblNotKept.setVisible(!lines_.kept);
  lstEvents.setItems(historyRows(lines_.entries, kindOfFilter(lstKinds.listIndex())));
}

void FrmHistory::lstKinds_Click() { showLines(lines_); }

void FrmHistory::cmdExport_Click() {
  const std::string path = p_.os.shell.saveFileName(handle(), "Export the History", "Tessara history.csv",
                                                    "CSV files (*.csv)", "*.csv");
  if (path.empty()) return;
  const std::string csv = historyCsv(lines_.entries, kindOfFilter(lstKinds.listIndex()));
  auto& files = p_.os.files;
  // The dialog asked before a file is replaced.
  if (files.attributes(path)) files.deleteFile(path);
  auto file = files.createNew(path);
  const bool written = file && file->write({reinterpret_cast<const std::uint8_t*>(csv.data()), csv.size()}) &&
                       file->flush();
  if (!written) host_.showNotice("The history could not be written to " + path + ".");
}

void FrmHistory::cmdClear_Click() {
  // This window may have been closed by the time the password is given.
  Host& host = host_;
  HistoryQueue& history = p_.history;
  host_.requestPassword({.action = Action::ClearHistory,
                         .title = "Clear the History",
                         .granted = [&host, &history](const PasswordGiven&) {
                           if (FrmHistory* window = host.openHistory()) window->clearConfirmed();
                           else history.clear();
                         }});
}

void FrmHistory::clearConfirmed() {
  p_.history.clear();
  refresh();
}

void FrmHistory::cmdClose_Click() { unload(); }

}  // namespace tessara
