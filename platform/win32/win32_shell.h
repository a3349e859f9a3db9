#pragma once
// Program starts, documents and message boxes over kernel32, shell32 and user32.
#include "platform/shell.h"
#include "shared/win32/handles.h"

namespace platform::win32 {

class Win32Shell final : public Shell {
 public:
  StartResult startProgram(std::string_view path, int showCommand, std::string_view folder) override;
  bool shellExecute(WindowHandle parent, std::string_view verb, std::string_view file,
                    int showCommand) override;
  int messageBox(WindowHandle owner, std::string_view text, std::string_view title,
                 std::uint32_t flags) override;
  std::string programPath() override;
  std::string browseForFileOrFolder(WindowHandle parent, std::string_view title) override;
  std::string saveFileName(WindowHandle parent, std::string_view title, std::string_view suggested,
                           std::string_view filterName, std::string_view pattern) override;
  bool claimSingleInstance(std::string_view name) override;
  void releaseSingleInstance() override;
  std::string userSid() override;
  bool runningCopy() const override { return runningCopy_; }

 private:
  win32kit::UniqueKernelHandle instance_;  // the mutex, owned by this thread while held
  bool runningCopy_ = false;
};

// The system's description of an error code, without the trailing line break.
std::string systemErrorText(unsigned long code);

}  // namespace platform::win32
