#include "tessara7/transfer/transfer_commands.h"

#include <optional>

#include "shared/names.h"

namespace tessara {

TransferCommands::TransferCommands(Host& host, Parts parts) : host_(host), p_(parts) {}

void TransferCommands::cmdExport_Click() {
  p_.history.record(history::Kind::Export, "the transfer tool was started to export");
  startTool(names::TransferExportTitle);
}

void TransferCommands::cmdImport_Click() {
  p_.history.record(history::Kind::Import, "the transfer tool was started to import");
  startTool(names::TransferImportTitle);
}

void TransferCommands::startTool(const char* commandTitle) {
  if (starting_) return;
  starting_ = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{starting_};

  const std::string& folder = p_.appFolder;
  // The program's folder is the tool's current folder: the export goes to
  // the root of the drive the program is installed on.
  const platform::StartResult started =
      p_.os.shell.startProgram(folder + names::TransferProgram, platform::SwShowMinimized, folder);
  if (!started.started) {
    host_.showNotice(started.error);
    return;
  }
  // The tool reads its title half a second after its window appears; the
  // window is looked for between window events, a few times a tenth of a second.
  platform::Clock& clock = p_.os.clock;
  platform::Desktop& desktop = p_.os.desktop;
  const std::uint64_t deadline = clock.nowMs() + kWindowWaitMs;
  for (;;) {
    if (const platform::WindowHandle tool = desktop.findWindow(std::nullopt, names::TransferIdleTitle)) {
      desktop.setWindowText(tool, commandTitle);
      return;
    }
    if (clock.nowMs() >= deadline || host_.ended()) return;
    host_.waitEvents();
  }
}

}  // namespace tessara
