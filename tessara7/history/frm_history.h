#pragma once
// The "History" window: what the guard service kept, newest first, with a
// filter by kind, "Export..." to a CSV file and "Clear", which asks for the
// master password once more.
#include "forms/form.h"
#include "tessara7/history/history_queue.h"

namespace tessara {

class App;

class FrmHistory : public forms::Form {
 public:
  explicit FrmHistory(App& app);

  forms::Label lblShow{*this, "lblShow", "Show:"};
  forms::ListBox lstKinds{*this, "lstKinds"};
  forms::ListBox lstEvents{*this, "lstEvents"};
  forms::Label lblNotKept{*this, "lblNotKept",
                          "No guard service answered: these events are this run's only and are not kept."};
  forms::Button cmdExport{*this, "cmdExport", "Export..."};
  forms::Button cmdClear{*this, "cmdClear", "Clear"};
  forms::Button cmdClose{*this, "cmdClose", "Close"};

  void lstKinds_Click();
  void cmdExport_Click();
  void cmdClear_Click();
  void cmdClose_Click();
  // The master password was given for Clear.
  void clearConfirmed();
  // Reads the lines again and shows them.
  void refresh();

 private:
  void Form_Load();
  void showLines(const HistoryQueue::Lines& lines);

  App& app_;
  HistoryQueue::Lines lines_;
};

}  // namespace tessara
