#pragma once
// Starting programs, opening documents, message boxes and the tray.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/desktop.h"

namespace platform {

// Message-box buttons, icons and answers (the Windows codes).
enum MessageBoxFlags : std::uint32_t {
  MbOk = 0x0,
  MbOkCancel = 0x1,
  MbYesNo = 0x4,
  MbIconError = 0x10,
  MbIconQuestion = 0x20,
  MbIconWarning = 0x30,
  MbIconInformation = 0x40,
};
enum MessageBoxAnswer : int { IdOk = 1, IdCancel = 2, IdYes = 6, IdNo = 7 };

struct StartResult {
  bool started = false;
  std::string error;  // the system's description when not started
};

class Shell {
 public:
  virtual ~Shell() = default;

  // Starts a program without arguments and without waiting, in `folder`
  // (empty: this program's current folder). A program that asks for more
  // rights than this one has is started through the system's elevation.
  virtual StartResult startProgram(std::string_view path, int showCommand, std::string_view folder) = 0;
  virtual bool shellExecute(WindowHandle parent, std::string_view verb, std::string_view file,
                            int showCommand) = 0;
  virtual int messageBox(WindowHandle owner, std::string_view text, std::string_view title,
                         std::uint32_t flags) = 0;
  // Full path of the running program's file.
  virtual std::string programPath() = 0;

  // Claims, for this process, the one running copy of a program in the
  // user's session (a named mutex owned by the running copy); false when
  // another process holds it. It is held until released or the process ends.
  virtual bool claimSingleInstance(std::string_view name) = 0;
  virtual void releaseSingleInstance() = 0;
  // This process holds the single instance now: it is the session's running
  // copy, which answers the others.
  virtual bool runningCopy() const = 0;
  // The SID of the user this program runs for, as text ("S-1-5-21-...").
  virtual std::string userSid() = 0;
  // The system's browse dialog, offering files as well as folders; the
  // chosen path, or empty when the user cancelled. Returns when it closes.
  virtual std::string browseForFileOrFolder(WindowHandle parent, std::string_view title) = 0;
  // The system's Save As dialog for one kind of file ("CSV files", "*.csv"),
  // asking before it replaces a file; the chosen path, or empty after Cancel.
  virtual std::string saveFileName(WindowHandle parent, std::string_view title, std::string_view suggested,
                                   std::string_view filterName, std::string_view pattern) = 0;
};

}  // namespace platform
