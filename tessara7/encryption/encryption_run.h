#pragma once
// The encryption run (Enc): encrypts or decrypts every file that the path
// box names (a file, a folder with or without its sub-folders, or a drive)
// one at a time through the encryption component, while the progress
// window shows what is being done and collects the errors.
//
// Everything runs on the window thread. Before every folder and every file,
// and while the component works, pending window events run, so Abort, the
// one-second timer and the tray stay alive; EncryptionBusy (Abort, a failed
// decryption, or the program ending) stops the run, and the component is
// asked to stop the file it is on.
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "forms/form.h"
#include "platform/platform.h"
#include "tessara7/encryption/encryption_component.h"
#include "tessara7/encryption/encryption_settings.h"
#include "tessara7/history/history_queue.h"

namespace tessara {

class FrmCrypt;

class EncryptionRun {
 public:
  // What the run needs of the program around it.
  class Host {
   public:
    virtual void showNotice(std::string text) = 0;
    // Lets pending window events run.
    virtual void DoEvents() = 0;
    virtual bool ended() const = 0;
    // The progress window: made when none is open; the open one or nullptr.
    virtual FrmCrypt& frmCrypt() = 0;
    virtual FrmCrypt* openCrypt() = 0;
    // One of the program's own dialogs opens or closes: no prompt over it.
    virtual void setDialogOpen(bool open) = 0;

   protected:
    ~Host() = default;
  };
  // The program's values the run reads and sets.
  struct Shared {
    platform::Platform& os;
    HistoryQueue& history;
    const encryption::EncryptionSettings& settings;
    std::string& windowsFolder;  // written back in lower case
    bool& busy;                  // EncryptionBusy: a stop asked
  };
  struct Parts {
    forms::TextBox& txtPath;
    forms::TextBox& txtEnPwd;
    forms::ListBox& lstFolders;  // the run's folders, in processing order
    forms::ListBox& File1;       // the files of the folder being processed
    forms::Frame& fraEn;
    forms::Button& cmdHome;
    encryption::EncryptionComponent& RSPEncrypt1;
  };
  EncryptionRun(Host& host, Parts parts, Shared shared);

  // "en" encrypts, "de" decrypts; set by the caller before Enc.
  std::string CryptMode;
  // The password of the next decryption when its command brought one (the
  // Explorer decryption prompt); otherwise a decryption takes the page's.
  std::optional<std::string> commandPassword;

  void Enc();
  bool running() const { return running_; }
  // While EncryptionBusy asks for a stop, the component is asked to stop its file.
  void stopIfAsked();

  // The component's events.
  void RSPEncrypt1_Progress(int percent);
  void RSPEncrypt1_Error(int number, const std::string& text);
  void letEventsRun();

  int ComponentErrorCode = 0;
  std::string ComponentErrorText;

 private:
  enum class Next { Go, Stop };
  void run(const std::optional<std::string>& givenPassword);
  bool confirmDrive(const std::string& path);
  void setFile1(const std::string& folder);
  std::vector<std::string> folderList(const std::string& path);
  Next passFolder(const std::string& folder, const std::string& password);
  // `source` is the path in lower case, `file` the same file as listed.
  void processFile(const std::string& source, const std::string& file, const std::string& password);
  void encryptOne(const std::string& source, const std::string& file, const std::string& password);
  void decryptOne(const std::string& source, const std::string& file, const std::string& password);
  void deleteSource(const std::string& source);
  void showFile(const std::string& details, const std::string& source);
  void showPendingFile(std::chrono::steady_clock::time_point now);
  void listError(const std::string& line);
  bool stopAsked() const;
  void endOfRun();
  FrmCrypt& progress();

  Host& host_;
  Parts p_;
  Shared s_;
  bool running_ = false;
  bool errorsListed_ = false;
  int filesDone_ = 0;    // this run's, for the history
  int filesFailed_ = 0;
  std::string file1Path_;  // the folder File1 lists, as it reports it
  static constexpr std::chrono::milliseconds ProgressPace{40};
  std::chrono::steady_clock::time_point lastProgressShown_{};
  int shownPercent_ = 0;
  std::string fileDetails_, fileCaption_;  // the file in hand, perhaps not shown yet
  bool shownFile_ = true;
  std::chrono::steady_clock::time_point lastFileShown_{};
};

}  // namespace tessara
