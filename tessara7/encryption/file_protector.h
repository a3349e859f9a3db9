#pragma once
// The file protector behind tmrFileProtector: while the program runs it
// withholds the uninstaller's data file, so that the uninstaller cannot run
// behind the program's back, and keeps a hidden spare copy of the program
// file in the drive root, from which it restores the program file when that
// is gone. It guards only an installation the setup made (the data file
// lies beside the program); every failure waits for the next tick.
#include <memory>
#include <string>

#include "platform/files.h"

namespace tessara {

class App;

class FileProtector {
 public:
  explicit FileProtector(App& app);

  // One tick: take the data file, make or use the spare copy.
  void tmrFileProtector_Timer();
  // Closes the data file, so that the uninstaller can read it.
  void giveBack() { dataFile_.reset(); }
  bool holdsDataFile() const { return dataFile_ != nullptr; }

  // Where the spare copy of the program in `appFolder` lives: the root of its drive.
  static std::string spareCopyPath(const std::string& appFolder);

 private:
  void tick();

  App& app_;
  std::unique_ptr<platform::OpenFile> dataFile_;
};

}  // namespace tessara
