#pragma once
// The file protector behind tmrFileProtector: while the program runs it
// withholds the uninstaller's data file, so that the uninstaller cannot run
// behind the program's back, and restores the program file from the spare
// copy the setup made in the machine's data folder when the program file is
// gone. Only a spare whose SHA-256 is the one the setup recorded (where only
// administrators write) is put back: anything else may be another user's
// program. It guards only an installation the setup made (the data file
// lies beside the program); every failure waits for the next tick.
#include <memory>
#include <string>

#include "platform/files.h"
#include "platform/platform.h"

namespace tessara {

class FileProtector {
 public:
  // appFolder: the program's folder, with a backslash.
  FileProtector(platform::Platform& os, const std::string& appFolder) : os_(os), appFolder_(appFolder) {}

  // One tick: take the data file, use (or make again) the spare copy.
  void tmrFileProtector_Timer();
  // Closes the data file, so that the uninstaller can read it.
  void giveBack() { dataFile_.reset(); }
  bool holdsDataFile() const { return dataFile_ != nullptr; }

  // Where the spare copy lives: ProgramData\Tessara.
  static std::string spareCopyPath(platform::Files& files);

 private:
  void tick();

  platform::Platform& os_;
  const std::string& appFolder_;
  std::unique_ptr<platform::OpenFile> dataFile_;
  // A missing spare is made again once a run (users may lack the rights).
  bool spareAttempted_ = false;
};

}  // namespace tessara
