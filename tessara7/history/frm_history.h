#pragma once
// The "History" window: what the guard service kept, newest first, with a
// filter by kind, "Export..." to a CSV file and "Clear", which asks for the
// master password once more.
#include <string>

#include "forms/form.h"
#include "platform/platform.h"
#include "tessara7/history/history_queue.h"
#include "tessara7/locking/password_request.h"

namespace tessara {

class FrmHistory : public forms::Form {
 public:
  // What the window needs of the program around it.
  class Host {
   public:
    virtual void showNotice(std::string text) = 0;
    virtual void requestPassword(PasswordRequest request) = 0;
    // The history window now open, if any: the one that asked may be gone
    // by the time the password is given.
    virtual FrmHistory* openHistory() = 0;

   protected:
    ~Host() = default;
  };
  struct Parts {
    forms::Runtime& runtime;
    platform::Platform& os;
    HistoryQueue& history;
  };
  FrmHistory(Host& host, Parts parts);

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

  Host& host_;
  Parts p_;
  HistoryQueue::Lines lines_;
};

}  // namespace tessara
