#include "tessara7/encryption/encryption_run.h"

#include <array>
#include <exception>
#include <string_view>
#include <utility>

#include "tessara7/common/text.h"
#include "tessara7/encryption/folder_walk.h"
#include "tessara7/encryption/windows_folder_rule.h"
#include "tessara7/encryption/frm_crypt.h"
#include "tessara7/common/helpers.h"
#include "tessara7/common/web_page.h"

namespace tessara {
namespace {

// Names an encryption never touches, compared with the file's own name in lower case.
constexpr std::array<std::string_view, 9> SystemFiles = {
    "bootmgr", "io.sys", "ntdetect.com", "bootsect.bak", "pagefile.sys", "log_fs.log", "lang.txt", "lxdi.log",
    "boot.ini"};

bool isSystemFile(std::string_view name) {
  for (const std::string_view system : SystemFiles)
    if (name == system) return true;
  return false;
}

// The last three characters tell the kind: no full stop is needed.
bool endsWithOneOf(std::string_view path, std::initializer_list<std::string_view> endings) {
  for (const std::string_view ending : endings)
    if (path.ends_with(ending)) return true;
  return false;
}

bool isContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// The first and the last `count` characters of UTF-8 text, never cutting one in two.
std::string firstCharacters(std::string_view text, std::size_t count) {
  std::size_t end = 0;
  for (std::size_t seen = 0; end < text.size() && seen < count; ++seen) {
    ++end;
    while (end < text.size() && isContinuationByte(text[end])) ++end;
  }
  return std::string(text.substr(0, end));
}

std::string lastCharacters(std::string_view text, std::size_t count) {
  std::size_t begin = text.size();
  for (std::size_t seen = 0; begin > 0 && seen < count; ++seen) {
    --begin;
    while (begin > 0 && isContinuationByte(text[begin])) --begin;
  }
  return std::string(text.substr(begin));
}

std::string folderOf(const std::string& path) {
  const auto slash = path.find_last_of('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

EncryptionRun::EncryptionRun(Host& host, Parts parts, Shared shared) : host_(host), p_(parts), s_(shared) {
  auto& component = p_.RSPEncrypt1;
  component.Progress = [this](int percent) { RSPEncrypt1_Progress(percent); };
  component.Error = [this](int number, const std::string& text) { RSPEncrypt1_Error(number, text); };
  component.LetEventsRun = [this] { letEventsRun(); };
  // The source stays open from its read to its deletion, so that the file
  // deleted is the one that was encrypted.
  component.holdSources(true);
}

void EncryptionRun::Enc() {
  // A second run never starts inside a running one (a handler reached
  // through the pauses for window events).
  if (running_) return;
  running_ = true;
  struct Ended {
    bool& running;
    ~Ended() { running = false; }
  } ended{running_};
  errorsListed_ = false;
  filesDone_ = filesFailed_ = 0;
  const std::string mode = CryptMode == "en" ? "Encrypt " : "Decrypt ";
  const std::string path = p_.txtPath.text();
  const std::optional<std::string> givenPassword = std::exchange(commandPassword, std::nullopt);
  try {
    run(givenPassword);
  } catch (const std::exception& failure) {
    // Unexpected: a path that names nothing, a folder that went away. The
    // user learns which and why; the run still ends properly, so that
    // neither Abort nor EncryptionBusy is left hanging.
    host_.showNotice(failure.what());
  }
  endOfRun();
  if (!path.empty())
    s_.history.record(history::Kind::Encryption, mode + path + ": " + std::to_string(filesDone_) +
                                                     " files done, " + std::to_string(filesFailed_) + " errors");
}

void EncryptionRun::run(const std::optional<std::string>& givenPassword) {
  auto& files = s_.os.files;
  if (p_.txtPath.text().empty()) return;
  if (p_.txtEnPwd.text().empty()) {
    host_.showNotice(
        "No encryption password set. Go into the Configuration and click the Encryption tab to set a password.");
    return;
  }
  if (p_.txtPath.text().find('\\') == std::string::npos) {
    host_.showNotice("Invalid Path - Required leading '\\' missing.");
    return;
  }
  if (CryptMode == "en" && (p_.txtPath.text().ends_with('\\') || p_.txtPath.text().ends_with(':')) &&
      !confirmDrive(p_.txtPath.text()))
    return;

  p_.txtPath.setText(lowerCase(p_.txtPath.text()));
  s_.windowsFolder = lowerCase(s_.windowsFolder);
  const std::string path = p_.txtPath.text();
  // The folder itself and below, however written or reached (a folder whose
  // name only begins alike, "c:\windowsbackup", is not it).
  if (encryption::WindowsFolderRule(files, s_.windowsFolder).covers(path)) {
    host_.showNotice("Cannot encrypt from the Windows direcory.");
    return;
  }
  if (path.empty()) return;
  p_.lstFolders.clear();
  const bool singleFile = FileExists(files, path);
  if (!singleFile) p_.lstFolders.setItems(folderList(path));

  if (FrmCrypt* previous = host_.openCrypt()) previous->unload();  // each run starts with a fresh window
  FrmCrypt& window = progress();
  window.show();
  window.List1.clear();

  const std::string password = CryptMode == "en" ? p_.txtEnPwd.text() : givenPassword.value_or(p_.txtEnPwd.text());
  if (singleFile) {
    host_.DoEvents();
    if (stopAsked()) return;
    p_.RSPEncrypt1.removeLeftovers(folderOf(path));
    processFile(path, path, password);
    return;
  }
  // The folders as listed when the loop starts.
  const std::vector<std::string> folders = p_.lstFolders.items();
  for (const std::string& folder : folders) {
    if (passFolder(folder, password) == Next::Stop || stopAsked()) return;
  }
}

bool EncryptionRun::confirmDrive(const std::string& path) {
  auto& shell = s_.os.shell;
  const platform::WindowHandle owner = p_.fraEn.owner().handle();
  host_.setDialogOpen(true);
  const int first = shell.messageBox(owner,
                                     "Encrypting your main Windows drive may cause Windows to fail. If you're sure "
                                     "this is a non-Windows drive click OK, otherwise click Cancel.\r\r",
                                     "CAUTION:", platform::MbOkCancel | platform::MbIconError);
  host_.setDialogOpen(false);
  if (first != platform::IdOk) return false;
  host_.setDialogOpen(true);
  const int second = shell.messageBox(owner, "Are you sure you want to encrypt drive: " + path + "?",
                                      "Confirm Drive Encrypt", platform::MbYesNo | platform::MbIconWarning);
  host_.setDialogOpen(false);
  return second == platform::IdYes;
}

void EncryptionRun::setFile1(const std::string& folder) {
  file1Path_ = encryption::folderAsListed(folder);
  p_.File1.setItems(encryption::filesOf(s_.os.files, file1Path_));
}

std::vector<std::string> EncryptionRun::folderList(const std::string& path) {
  setFile1(path);
  if (!s_.settings.includeSubfolders) return {file1Path_};
  // A walk from a drive's root never enters the Windows folder.
  const encryption::WindowsFolderRule windows(s_.os.files, s_.windowsFolder);
  std::vector<std::string> folders =
      encryption::subFolders(s_.os.files, path, [&](const std::string& folder) { return windows.covers(folder); });
  folders.push_back(path);
  if (folders.size() == 1) host_.showNotice("No sub-folders were found. The current folder will be used.");
  return folders;
}

EncryptionRun::Next EncryptionRun::passFolder(const std::string& folder, const std::string& password) {
  host_.DoEvents();
  p_.RSPEncrypt1.removeLeftovers(folder);
  setFile1(folder);
  const std::vector<std::string> names = p_.File1.items();
  const std::string listed = file1Path_;
  for (const std::string& name : names) {
    host_.DoEvents();
    if (stopAsked()) return Next::Stop;
    // Paths are in lower case, as are the names the run gives its outputs;
    // the file itself is reached by its own name, which under Wine spares a
    // search of the whole folder for every other spelling.
    const std::string path = listed + "\\" + name;
    processFile(lowerCase(path), path, password);
  }
  return Next::Go;
}

void EncryptionRun::processFile(const std::string& source, const std::string& file, const std::string& password) {
  if (CryptMode == "en") encryptOne(source, file, password);
  else decryptOne(source, file, password);
}

void EncryptionRun::encryptOne(const std::string& source, const std::string& file, const std::string& password) {
  if (endsWithOneOf(source, {"tsx", "tsr", "tsn", "ts7"})) return;
  showFile("Your files are being encrypted...", source);
  const auto slash = source.find_last_of('\\');
  if (isSystemFile(lowerCase(slash == std::string::npos ? source : source.substr(slash + 1)))) return;
  ComponentErrorCode = 0;
  ComponentErrorText.clear();
  p_.RSPEncrypt1.setActive(true);
  const std::string target = source + ".ts7";
  p_.RSPEncrypt1.encrypt(file, target, password);
  ++(ComponentErrorCode != 0 ? filesFailed_ : filesDone_);
  if (ComponentErrorCode != 0) {
    listError(ComponentErrorText);
    listError(std::to_string(ComponentErrorCode) + ", " + ComponentErrorText + ", " + source);
    return;
  }
  if (FileExists(s_.os.files, target)) deleteSource(file);
}

void EncryptionRun::decryptOne(const std::string& source, const std::string& file, const std::string& password) {
  const std::string target = source.substr(0, source.size() >= 4 ? source.size() - 4 : 0);
  if (source.ends_with("ts7")) {
    showFile("Your files are being decrypted...", source);
    ComponentErrorCode = 0;
    ComponentErrorText.clear();
    p_.RSPEncrypt1.setActive(true);
    p_.RSPEncrypt1.decrypt(file, target, password);
    ++(ComponentErrorCode != 0 ? filesFailed_ : filesDone_);
    if (ComponentErrorCode != 0) {
      listError(ComponentErrorCode == encryption::ErrorWrongPassword
                    ? "Error  4: Check Password " + source
                    : std::to_string(ComponentErrorCode) + " " + ComponentErrorText + " " + source);
      if (FrmCrypt* window = host_.openCrypt()) window->cmdabort.setCaption("Close");
      // Nothing to delete: the component removed what it had written, and a
      // file that already bore the target's name was never touched.
      s_.busy = true;
      return;
    }
    if (FileExists(s_.os.files, target)) deleteSource(file);
  } else if (endsWithOneOf(source, {"tsx", "tsr", "tsn"})) {
    host_.showNotice(
        "A file(s) in this directory are no longer supported. Files not supported by this version include "
        "extensions of: .Lok, .Loc, .Tsx, .Tsr and .Tsn. See " +
        webPage("/faq.html") + " for details.");
  }
}

// The source goes only once its counterpart exists. When it cannot go, both
// stay and the user is told.
void EncryptionRun::deleteSource(const std::string& source) {
  // The file read is the file deleted: the component still holds it.
  std::string why;
  if (p_.RSPEncrypt1.deleteSource(source, why)) return;
  listError("Cannot delete " + source + ": " + why + ".");
}

// A file's name is shown at the pace of the bar, and always with the
// bar's first step of a file that takes more than one: retitling the label
// for each of many small files cost more than their encryption under Wine.
void EncryptionRun::showFile(const std::string& details, const std::string& source) {
  shownFile_ = false;
  fileDetails_ = details;
  fileCaption_ = firstCharacters(source, 20) + "....." + lastCharacters(source, 30);
  const auto now = std::chrono::steady_clock::now();
  if (now - lastFileShown_ >= ProgressPace) showPendingFile(now);
}

void EncryptionRun::showPendingFile(std::chrono::steady_clock::time_point now) {
  if (shownFile_) return;
  FrmCrypt* window = host_.openCrypt();
  if (window == nullptr) return;
  shownFile_ = true;
  lastFileShown_ = now;
  window->lblDetails.setCaption(fileDetails_);
  window->lblFile.setCaption(fileCaption_);
}

void EncryptionRun::listError(const std::string& line) {
  errorsListed_ = true;
  FrmCrypt* window = host_.openCrypt();
  if (window == nullptr) return;
  window->List1.setVisible(true);
  window->List1.addItem(line);
}

bool EncryptionRun::stopAsked() const { return s_.busy || host_.ended(); }

void EncryptionRun::endOfRun() {
  p_.RSPEncrypt1.releaseSource();
  p_.cmdHome.setCaption("< Back");
  s_.busy = false;
  p_.fraEn.setEnabled(true);
  // The run's key is not kept beyond it.
  p_.RSPEncrypt1.forgetKeys();
  FrmCrypt* window = host_.openCrypt();
  if (window == nullptr) return;
  showPendingFile(std::chrono::steady_clock::now());  // the last file, when errors keep the window
  if (errorsListed_) {
    window->cmdabort.setCaption("Close");
    window->cmdabort.setEnabled(true);  // also after an Abort, which disabled it
  } else {
    window->unload();
  }
}

FrmCrypt& EncryptionRun::progress() { return host_.frmCrypt(); }

void EncryptionRun::RSPEncrypt1_Progress(int percent) {
  // Redrawing the bar costs more than a small file's encryption under Wine:
  // it follows at most every few hundredths of a second, but always at the
  // end of a file and at the first step of the next (a smaller value), so
  // that it never shows the last file's end for this one.
  const auto now = std::chrono::steady_clock::now();
  const bool firstStepOfAFile = percent < shownPercent_;
  if (FrmCrypt* window = host_.openCrypt();
      window && (percent == 100 || firstStepOfAFile || now - lastProgressShown_ >= ProgressPace)) {
    lastProgressShown_ = now;
    shownPercent_ = percent;
    window->Pbar.setValue(percent * 36);
    window->lblProgress.setCaption(std::to_string(percent));
  }
  if (firstStepOfAFile || now - lastFileShown_ >= ProgressPace) showPendingFile(now);
  stopIfAsked();
}

void EncryptionRun::stopIfAsked() {
  if (s_.busy) p_.RSPEncrypt1.abort();
}

void EncryptionRun::RSPEncrypt1_Error(int number, const std::string& text) {
  ComponentErrorCode = number;
  ComponentErrorText = text;
}

// The component calls this every few milliseconds during a file: the
// window's events run, and a stop asked meanwhile reaches the component at
// once rather than at the next timer tick.
void EncryptionRun::letEventsRun() {
  host_.DoEvents();
  if (stopAsked()) p_.RSPEncrypt1.abort();
}

}  // namespace tessara
