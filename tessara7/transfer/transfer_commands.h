#pragma once
// Export... and Import... of the Users page: they start the transfer tool
// and give it its command by retitling its window. They return once the
// tool has its command; the tool reports the transfer itself.
#include <string>

#include "platform/platform.h"
#include "tessara7/history/history_queue.h"

namespace tessara {

class TransferCommands {
 public:
  // What a command needs of the program while it waits for the tool.
  class Host {
   public:
    virtual void showNotice(std::string text) = 0;
    // Waits a little for the next window event and lets it run.
    virtual void waitEvents() = 0;
    virtual bool ended() const = 0;

   protected:
    ~Host() = default;
  };
  struct Parts {
    platform::Platform& os;
    HistoryQueue& history;
    const std::string& appFolder;  // the tool lies there, and starts there
  };
  TransferCommands(Host& host, Parts parts);

  void cmdExport_Click();
  void cmdImport_Click();

  // How long a start waits for the tool's window: a prompt for the
  // administrator's consent may stand between.
  static constexpr unsigned kWindowWaitMs = 30000;

 private:
  void startTool(const char* commandTitle);

  Host& host_;
  Parts p_;
  bool starting_ = false;  // one start at a time
};

}  // namespace tessara
