// The encryption run alone, with its page and its command runner, on a small
// form of their own over the simulated platform: what a run touches and in
// which order, what it refuses, how it reports errors, aborts and faults, and
// that no fault loses a byte.
#include "tessara7/encryption/encryption_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "forms/form.h"
#include "platform/sim/fold.h"
#include "platform/sim/sim_platform.h"
#include "tessara7/encryption/command_runner.h"
#include "tessara7/encryption/encryption_page.h"
#include "tessara7/encryption/frm_crypt.h"
#include "tessara7/history/history_queue.h"
#include "tessara7/settings/registry_access.h"

namespace tessara {
namespace {

using platform::sim::FileOperation;

// The Encryption page's controls, and the timer that starts waiting commands.
class EncryptionForm : public forms::Form {
 public:
  explicit EncryptionForm(forms::Runtime& runtime) : Form(runtime, "frmEncryption", "Encryption") {}
  forms::TabControl SSTab1{*this, "SSTab1", {"Welcome", "Encryption"}};
  forms::Frame fraEn{*this, "fraEn", "File && Folder Encryption"};
  forms::TextBox txtPath{*this, "txtPath"};
  forms::CheckBox chkSub{*this, "chkSub", "Include Sub Folders"};
  forms::Button cmdEncrypt{*this, "cmdEncrypt", "Encrypt"};
  forms::Button cmddecrypt{*this, "cmddecrypt", "Decrypt"};
  forms::TextBox txtEnPwd{*this, "txtEnPwd"};
  forms::Button cmdenpwd{*this, "cmdenpwd", "Set"};
  forms::CheckBox chkReEncrypt{*this, "chkReEncrypt", "Re-encrypt files when I click Close"};
  forms::ListBox lstFolders{*this, "lstFolders"};
  forms::ListBox File1{*this, "File1"};
  forms::Button cmdHome{*this, "cmdHome", "< Back"};
  forms::Timer Timer1{*this, "Timer1", 1000, true};
};

// The program's values that the run and the page share.
struct Values {
  bool EncryptionBusy = false;
  bool DialogOpen = false;
  std::string WindowsFolder;
  encryption::EncryptionSettings Encryption{};
  platform::Root SettingsRoot = platform::Root::Machine;
};

// The real count costs a third of a second per run.
encryption::ComponentOptions cheapKeys() {
  encryption::ComponentOptions options;
  options.iterations = 1000;
  return options;
}

class EncryptionRunTest : public ::testing::Test, public EncryptionRun::Host, public EncryptionPage::Host {
 protected:
  // Wired as the composition root wires the configuration window.
  void SetUp() override {
    page.cmdEncrypt.onClick = [this] { encryptionPage.cmdEncrypt_Click(); };
    page.cmddecrypt.onClick = [this] { encryptionPage.cmddecrypt_Click(); };
    page.chkSub.onClick = [this] { encryptionPage.chkSub_Click(); };
    page.Timer1.onTimer = [this] { commandRunner.Timer1_Timer(); };
    page.load();
    values.WindowsFolder = sim.files.windowsFolder();
    page.txtEnPwd.setText("secret");
  }

  void showNotice(std::string text) override { notices.push_back(std::move(text)); }
  std::string askNotice(std::string text) override {
    ADD_FAILURE() << "asked: " << text;
    return "";
  }
  bool askConfigPassword() override { return false; }
  void setDialogOpen(bool open) override { values.DialogOpen = open; }
  // As the program's: pending events run, and time goes on.
  void DoEvents() override {
    if (doEventsScript) doEventsScript();
    sim.clock.advance(10);
  }
  bool ended() const override { return false; }
  FrmCrypt& frmCrypt() override { return crypt.get(); }
  FrmCrypt* openCrypt() override { return crypt.peek(); }

  std::string noticeText() const { return notices.empty() ? "<no notice>" : notices.back(); }
  void run(const char* mode, const std::string& path, bool subFolders = false) {
    page.chkSub.setValue(subFolders ? 1 : 0);
    page.txtPath.setText(path);
    (std::string(mode) == "en" ? page.cmdEncrypt : page.cmddecrypt).click();
  }
  FrmCrypt* progress() { return openCrypt(); }
  std::vector<std::string> errorLines() { return progress() ? progress()->List1.items() : std::vector<std::string>{}; }
  // Every file, its path in lower case (the simulated disk keeps the case
  // a path was created with, not the folder's), and its content.
  std::map<std::string, std::string> tree() {
    std::map<std::string, std::string> files;
    for (const std::string& path : sim.files.filePaths()) files[platform::sim::fold(path)] = *sim.files.content(path);
    return files;
  }
  std::vector<std::string> paths() {
    std::vector<std::string> all;
    for (const auto& [path, content] : tree()) all.push_back(path);
    return all;
  }

  platform::sim::SimPlatform sim;
  forms::Runtime runtime{sim.clock, nullptr, [](const std::string& error) { ADD_FAILURE() << error; }, {}};
  EncryptionForm page{runtime};
  Values values;
  RegistryAccess registry{sim.registry};
  HistoryQueue history{sim.guard};
  encryption::EncryptionComponent RSPEncrypt1{sim.files, cheapKeys()};
  EncryptionRun encryptionRun{*this,
                              {page.txtPath, page.txtEnPwd, page.lstFolders, page.File1, page.fraEn, page.cmdHome,
                               RSPEncrypt1},
                              {sim.get(), history, values.Encryption, values.WindowsFolder, values.EncryptionBusy}};
  EncryptionPage encryptionPage{*this,
                                {page, page.SSTab1, 1, page.fraEn, page.txtPath, page.chkSub, page.txtEnPwd,
                                 page.cmdenpwd, page.chkReEncrypt, encryptionRun, commandRunner},
                                {sim.shell, registry, values.SettingsRoot, values.Encryption}};
  CommandRunner commandRunner{encryptionPage};
  forms::FormSlot<FrmCrypt> crypt{[this] { return std::make_unique<FrmCrypt>(runtime, values.EncryptionBusy); }};
  std::function<void()> doEventsScript;
  std::vector<std::string> notices;
};

// A folder with sub-folders, both ways: pre-order with the start folder
// last, dot folders, system files and old formats left alone, names in
// lower case, a killed run's leftover removed, everything back byte for byte.
TEST_F(EncryptionRunTest, FolderWithSubFoldersGoesBothWaysAndLeavesWhatItMustNotTouch) {
  sim.files.addFile("C:\\Docs\\a.txt", "alpha");
  sim.files.addFile("C:\\Docs\\B\\Big.DOC", std::string(200000, 'b'));
  sim.files.addFile("C:\\Docs\\B\\C\\c.txt", "");
  sim.files.addFile("C:\\Docs\\D\\ünï.txt", "delta");
  sim.files.addFile("C:\\Docs\\.cache\\hidden.txt", "cache");
  sim.files.addFile("C:\\Docs\\BOOT.INI", "boot");
  sim.files.addFile("C:\\Docs\\old.tsx", "old");
  sim.files.addFile("C:\\Docs\\D\\~ts70123456789abcdef.tmp", "left by a killed run");
  const auto before = tree();

  run("en", "C:\\Docs", true);
  EXPECT_EQ(page.txtPath.text(), "c:\\docs");
  EXPECT_EQ(page.lstFolders.items(),
            (std::vector<std::string>{"c:\\docs\\B", "c:\\docs\\B\\C", "c:\\docs\\D", "c:\\docs"}));
  EXPECT_EQ(paths(), (std::vector<std::string>{"c:\\docs\\.cache\\hidden.txt", "c:\\docs\\a.txt.ts7",
                                               "c:\\docs\\b\\big.doc.ts7", "c:\\docs\\b\\c\\c.txt.ts7",
                                               "c:\\docs\\boot.ini", "c:\\docs\\d\\ünï.txt.ts7", "c:\\docs\\old.tsx"}));
  EXPECT_EQ(progress(), nullptr) << "no errors: the progress window closed";
  EXPECT_FALSE(values.EncryptionBusy);
  EXPECT_TRUE(page.fraEn.enabled());
  EXPECT_EQ(RSPEncrypt1.keyDerivations(), 1u) << "one derivation for the whole run";

  run("de", "c:\\docs", true);
  EXPECT_EQ(noticeText().substr(0, 39), "A file(s) in this directory are no long");
  const auto all = sim.files.filePaths();
  EXPECT_NE(std::find(all.begin(), all.end(), "c:\\docs\\b\\big.doc"), all.end()) << "named in lower case";
  auto expected = before;
  expected.erase("c:\\docs\\d\\~ts70123456789abcdef.tmp");
  EXPECT_EQ(tree() == expected, true) << "every file back byte for byte, the leftover gone";
}

// Existing targets are never overwritten; an encryption error does not stop
// the run; a wrong password stops a decryption at its first file; the
// window stays with Close enabled.
TEST_F(EncryptionRunTest, ErrorLinesKeepEveryFileAndAWrongPasswordStopsTheDecryption) {
  sim.files.addFile("C:\\Docs\\a.txt", "a");
  sim.files.addFile("C:\\Docs\\b.txt", "new b");
  sim.files.addFile("C:\\Docs\\b.txt.ts7", "someone's b.txt.ts7");
  sim.files.addFile("C:\\Docs\\c.txt", "c");
  run("en", "C:\\Docs");
  const std::string exists = "c:\\docs\\b.txt.ts7 already exists and was left as it is.";
  EXPECT_EQ(errorLines(), (std::vector<std::string>{exists, "12, " + exists + ", c:\\docs\\b.txt"}));
  EXPECT_EQ(*sim.files.content("C:\\Docs\\b.txt"), "new b") << "both files stay";
  EXPECT_EQ(*sim.files.content("C:\\Docs\\b.txt.ts7"), "someone's b.txt.ts7");
  EXPECT_TRUE(sim.files.exists("C:\\Docs\\c.txt.ts7")) << "the run went on after the error";
  ASSERT_NE(progress(), nullptr);
  EXPECT_TRUE(progress()->List1.visible());
  EXPECT_EQ(progress()->cmdabort.caption(), "Close");
  // Names are shown at the bar's pace, but the window that stays names the last file.
  EXPECT_TRUE(progress()->lblFile.caption().ends_with("docs\\c.txt")) << progress()->lblFile.caption();

  sim.files.deleteFile("C:\\Docs\\b.txt.ts7");
  page.txtEnPwd.setText("wrong");
  const auto before = tree();
  run("de", "C:\\Docs");
  EXPECT_EQ(errorLines(), std::vector<std::string>{"Error  4: Check Password c:\\docs\\a.txt.ts7"});
  EXPECT_EQ(tree(), before) << "nothing changed";
  EXPECT_FALSE(values.EncryptionBusy);
  EXPECT_TRUE(progress()->cmdabort.enabled());
  progress()->cmdabort.click();
  EXPECT_EQ(progress(), nullptr);
}

// What a run refuses or asks before touching anything.
TEST_F(EncryptionRunTest, DrivesAreConfirmedTwiceAndBadPathsAreRefusedWithANotice) {
  sim.files.addFile("D:\\notes.txt", "notes");
  sim.shell.queueAnswer(platform::IdCancel);
  run("en", "D:\\");
  ASSERT_EQ(sim.shell.messages().size(), 1u);
  EXPECT_EQ(sim.shell.messages()[0].title, "CAUTION:");
  EXPECT_TRUE(sim.shell.messages()[0].text.ends_with("otherwise click Cancel.\r\r"));
  sim.shell.queueAnswer(platform::IdOk);
  sim.shell.queueAnswer(platform::IdNo);
  run("en", "D:\\");
  ASSERT_EQ(sim.shell.messages().size(), 3u);
  EXPECT_EQ(sim.shell.messages()[2].text, "Are you sure you want to encrypt drive: D:\\?");
  EXPECT_TRUE(sim.files.exists("D:\\notes.txt"));
  run("en", "D:\\");  // OK, Yes: the root's files carry a doubled backslash
  EXPECT_TRUE(sim.files.exists("D:\\notes.txt.ts7"));
  EXPECT_FALSE(values.DialogOpen);
  run("de", "d:\\");
  EXPECT_EQ(sim.shell.messages().size(), 5u) << "a decryption asks nothing";
  EXPECT_EQ(*sim.files.content("D:\\notes.txt"), "notes");

  const std::pair<std::string, std::string> refusals[] = {
      {"D:", "Invalid Path - Required leading '\\' missing."},
      {"C:\\WINDOWS\\system32\\x.dll", "Cannot encrypt from the Windows direcory."},
      {"C:\\Nowhere\\x.txt", "Cannot open c:\\nowhere\\x.txt: The system cannot find the path specified."},
  };
  for (const auto& [path, notice] : refusals) {
    run("en", path);
    EXPECT_EQ(noticeText(), notice);
    EXPECT_FALSE(values.EncryptionBusy);
    EXPECT_TRUE(page.fraEn.enabled());
  }
  page.txtEnPwd.setText("");
  run("en", "D:\\");
  EXPECT_EQ(noticeText().substr(0, 31), "No encryption password set. Go ");
}

// The Windows folder is never encrypted, however the path reaches it: in
// another spelling, through a junction, or by a walk over a whole drive.
TEST_F(EncryptionRunTest, TheWindowsFolderIsRefusedInEverySpellingAndPassedOverByADriveWalk) {
  sim.files.addFile("C:\\Windows\\win.ini", "windows");
  sim.files.addFile("C:\\Windows\\System32\\x.dll", "system");
  sim.files.addFile("C:\\Windowsbackup\\kept.txt", "not windows");
  sim.files.addFile("C:\\Temp\\t.txt", "temp");
  sim.files.linkFolder("C:\\Temp\\Win", "C:\\Windows");
  for (const char* path : {"c:/windows\\win.ini", "c:\\temp\\..\\windows\\win.ini", "c:\\temp\\win\\win.ini",
                           "c:\\temp\\win"}) {
    SCOPED_TRACE(path);
    run("en", path);
    EXPECT_EQ(noticeText(), "Cannot encrypt from the Windows direcory.");
    EXPECT_EQ(*sim.files.content("C:\\Windows\\win.ini"), "windows");
    notices.clear();  // the notice closed
  }
  run("en", "c:\\windowsbackup\\kept.txt");
  EXPECT_TRUE(sim.files.exists("C:\\Windowsbackup\\kept.txt.ts7")) << "a folder whose name only begins alike";

  // The whole drive with its sub-folders, after both warnings.
  sim.shell.queueAnswer(platform::IdOk);
  sim.shell.queueAnswer(platform::IdYes);
  run("en", "C:\\", true);
  EXPECT_TRUE(sim.files.exists("C:\\Temp\\t.txt.ts7")) << "the drive was encrypted";
  for (const char* file : {"C:\\Windows\\win.ini", "C:\\Windows\\System32\\x.dll"})
    EXPECT_TRUE(sim.files.exists(file)) << file << ": the walk entered the Windows folder";
  const auto folders = page.lstFolders.items();
  for (const std::string& folder : folders)
    EXPECT_EQ(platform::sim::fold(folder).find("windows\\"), std::string::npos) << folder;
  EXPECT_EQ(std::count(folders.begin(), folders.end(), "c:\\Temp\\Win"), 0) << "the junction was entered";
}

// Abort during a run: the file in hand is left as it was and listed, the
// rest untouched, and Close can be pressed.
TEST_F(EncryptionRunTest, AbortStopsWithinTheFileAndLosesNothing) {
  for (const char* name : {"a", "b", "c"}) sim.files.addFile(std::string("C:\\Docs\\") + name, std::string(3 << 20, *name));
  doEventsScript = [this] {
    FrmCrypt* window = progress();
    if (window && window->lblFile.caption().ends_with("docs\\b") && window->Pbar.value() < 1800 &&
        window->cmdabort.caption() == "Abort")
      window->cmdabort.click();
  };
  run("en", "C:\\Docs");
  EXPECT_EQ(paths(), (std::vector<std::string>{"c:\\docs\\a.ts7", "c:\\docs\\b", "c:\\docs\\c"}));
  EXPECT_EQ(*sim.files.content("C:\\Docs\\b"), std::string(3 << 20, 'b'));
  EXPECT_EQ(errorLines().at(0), "Aborted: c:\\docs\\b was left as it was.");
  EXPECT_EQ(progress()->cmdabort.caption(), "Close");
  EXPECT_TRUE(progress()->cmdabort.enabled());
  EXPECT_FALSE(values.EncryptionBusy);
}

// Every file operation of an encryption run and of a decryption run fails
// in turn: each file is whole, as plain or as .ts7, and no temporary stays.
TEST_F(EncryptionRunTest, AFaultAtEveryPointLosesNoByte) {
  const std::map<std::string, std::string> plain = {
      {"C:\\docs\\a.txt", "first"}, {"C:\\docs\\b.txt", std::string(70000, 'b')}, {"C:\\docs\\c.txt", ""}};
  // Each file as plain, or as .ts7 that decrypts to it, or both when the
  // source could not be deleted; nothing else.
  const auto intact = [&](const std::string& where) {
    std::size_t expectedFiles = 0;
    for (const auto& [path, content] : plain) {
      const bool asPlain = sim.files.content(path) == content;
      expectedFiles += (sim.files.exists(path) ? 1 : 0) + (sim.files.exists(path + ".ts7") ? 1 : 0);
      EXPECT_TRUE(asPlain || sim.files.exists(path + ".ts7")) << where << ": " << path;
      if (sim.files.exists(path + ".ts7")) {  // it must decrypt
        auto& component = RSPEncrypt1;
        component.setActive(true);
        EXPECT_TRUE(component.decrypt(path + ".ts7", path + ".check", "secret")) << where;
        EXPECT_EQ(sim.files.content(path + ".check"), content) << where;
        sim.files.deleteFile(path + ".check");
      }
    }
    EXPECT_EQ(sim.files.fileCount(), expectedFiles) << where << ": a temporary stayed";
  };
  for (const char* mode : {"en", "de"}) {
    for (int op = 0; op < static_cast<int>(FileOperation::Count); ++op) {
      for (int nth = 1;; ++nth) {
        sim.files = platform::sim::SimFiles();
        for (const auto& [path, content] : plain) sim.files.addFile(path, content);
        if (std::string(mode) == "de") run("en", "C:\\docs");
        sim.files.resetCounts();
        sim.files.failOn(static_cast<FileOperation>(op), nth, platform::FileError::DiskFull);
        run(mode, "C:\\docs");
        if (FrmCrypt* window = progress()) window->unload();
        const std::string where = std::string(mode) + " op " + std::to_string(op) + " #" + std::to_string(nth);
        const bool faulted = sim.files.callCount(static_cast<FileOperation>(op)) >= nth;
        sim.files.resetCounts();  // the checks below run without faults
        // A temporary whose deletion failed goes with the next pass.
        if (faulted && op == static_cast<int>(FileOperation::Delete)) RSPEncrypt1.removeLeftovers("C:\\docs");
        intact(where);
        if (!faulted) break;
      }
    }
  }
}

// The disk gives back other bytes than were written to one .ts7: the check
// that reads each written file back finds it, that file fails with its error
// and keeps its source, no .ts7 of it stays, and the run goes on with the next.
TEST_F(EncryptionRunTest, AWrittenFileThatReadsBackChangedFailsAndKeepsItsSource) {
  const std::string b(70000, 'b');
  sim.files.addFile("C:\\docs\\a.txt", "first");
  sim.files.addFile("C:\\docs\\b.txt", b);
  sim.files.addFile("C:\\docs\\c.txt", "third");
  sim.files.damageReads("C:\\docs\\b.txt.ts7", 1000);
  run("en", "C:\\docs");

  EXPECT_EQ(paths(), (std::vector<std::string>{"c:\\docs\\a.txt.ts7", "c:\\docs\\b.txt", "c:\\docs\\c.txt.ts7"}));
  EXPECT_EQ(*sim.files.content("C:\\docs\\b.txt"), b) << "the source stays whole";
  const std::vector<std::string> lines = errorLines();
  ASSERT_FALSE(lines.empty()) << "the run reported no error";
  EXPECT_EQ(lines.front().rfind("The encrypted copy of c:\\docs\\b.txt did not read back intact (", 0), 0u)
      << lines.front();
  EXPECT_TRUE(std::none_of(lines.begin(), lines.end(), [](const std::string& line) {
    return line.find("a.txt") != std::string::npos || line.find("c.txt") != std::string::npos;
  })) << "only b.txt failed";
  EXPECT_FALSE(values.EncryptionBusy);
  // The files that read back intact decrypt to what they were.
  run("de", "C:\\docs");
  EXPECT_EQ(sim.files.content("C:\\docs\\a.txt"), "first");
  EXPECT_EQ(sim.files.content("C:\\docs\\c.txt"), "third");
  EXPECT_EQ(*sim.files.content("C:\\docs\\b.txt"), b);
}

// Commands from Explorer wait for a running run and then run in order; a
// decryption takes the password its prompt gave, else the page's.
TEST_F(EncryptionRunTest, CommandsArrivingDuringARunWaitAndTakeTheirOwnPassword) {
  sim.files.addFile("C:\\One\\a.txt", std::string(3 << 20, 'a'));
  sim.files.addFile("C:\\Two\\b.txt", "b");
  run("en", "C:\\Two");
  int runsInside = 0;
  doEventsScript = [&] {
    if (encryptionRun.running() && commandRunner.waiting() == 0 && runsInside++ == 0) {
      // A decryption clicked in Explorer, its prompt answered.
      commandRunner.queue(encryption::ExplorerRequest{encryption::Verb::Decrypt, {"C:\\Two"}, "secret"});
      page.Timer1.tick();  // the timer comes during the run
    }
  };
  run("en", "C:\\One");
  EXPECT_TRUE(sim.files.exists("C:\\One\\a.txt.ts7")) << "the first run was not disturbed";
  EXPECT_TRUE(sim.files.exists("C:\\Two\\b.txt.ts7")) << "the command waited";
  EXPECT_EQ(commandRunner.waiting(), 1u);
  page.txtEnPwd.setText("other");
  sim.clock.advance(1000);
  EXPECT_EQ(*sim.files.content("C:\\Two\\b.txt"), "b") << "decrypted with the prompt's password";
  EXPECT_EQ(commandRunner.waiting(), 0u);

  // No prompt: the page's password, which is wrong here.
  commandRunner.queue(encryption::ExplorerRequest{encryption::Verb::Decrypt, {"C:\\One"}, std::nullopt});
  sim.clock.advance(1000);

  EXPECT_EQ(errorLines(), std::vector<std::string>{"Error  4: Check Password c:\\one\\a.txt.ts7"});
}

}  // namespace
}  // namespace tessara
