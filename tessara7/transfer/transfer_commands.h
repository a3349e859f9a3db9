#pragma once
// Export... and Import... of the Users page: they start the transfer tool
// and give it its command by retitling its window. They return once the
// tool has its command; the tool reports the transfer itself.
namespace tessara {

class App;

class TransferCommands {
 public:
  explicit TransferCommands(App& app);

  void cmdExport_Click();
  void cmdImport_Click();

  // How long a start waits for the tool's window: a prompt for the
  // administrator's consent may stand between.
  static constexpr unsigned kWindowWaitMs = 30000;

 private:
  void startTool(const char* commandTitle);

  App& app_;
  bool starting_ = false;  // one start at a time
};

}  // namespace tessara
