// The encryption run, its page and its command runner on the simulated
// platform: what a run touches and in which order, what it refuses, how it
// reports errors, aborts and faults, and that no fault loses a byte.
#include <algorithm>
#include <map>

#include "tests/unit/app_fixture.h"
#include "platform/sim/fold.h"
#include "tessara7/encryption/frm_crypt.h"

namespace tessara::testing {
namespace {

using platform::sim::FileOperation;

class EncryptionRunTest : public AppTest {
 protected:
  void SetUp() override {
    start();
    config().txtEnPwd.setText("secret");
  }
  void run(const char* mode, const std::string& path, bool subFolders = false) {
    config().chkSub.setValue(subFolders ? 1 : 0);
    config().txtPath.setText(path);
    (std::string(mode) == "en" ? config().cmdEncrypt : config().cmddecrypt).click();
  }
  FrmCrypt* progress() { return app().openCrypt(); }
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
  EXPECT_EQ(config().txtPath.text(), "c:\\docs");
  EXPECT_EQ(config().lstFolders.items(),
            (std::vector<std::string>{"c:\\docs\\B", "c:\\docs\\B\\C", "c:\\docs\\D", "c:\\docs"}));
  EXPECT_EQ(paths(), (std::vector<std::string>{"c:\\docs\\.cache\\hidden.txt", "c:\\docs\\a.txt.ts7",
                                               "c:\\docs\\b\\big.doc.ts7", "c:\\docs\\b\\c\\c.txt.ts7",
                                               "c:\\docs\\boot.ini", "c:\\docs\\d\\ünï.txt.ts7", "c:\\docs\\old.tsx"}));
  EXPECT_EQ(progress(), nullptr) << "no errors: the progress window closed";
  EXPECT_FALSE(state().EncryptionBusy);
  EXPECT_TRUE(config().fraEn.enabled());
  EXPECT_EQ(subsystems().RSPEncrypt1.keyDerivations(), 1u) << "one derivation for the whole run";

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
  config().txtEnPwd.setText("wrong");
  const auto before = tree();
  run("de", "C:\\Docs");
  EXPECT_EQ(errorLines(), std::vector<std::string>{"Error  4: Check Password c:\\docs\\a.txt.ts7"});
  EXPECT_EQ(tree(), before) << "nothing changed";
  EXPECT_FALSE(state().EncryptionBusy);
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
  EXPECT_FALSE(state().DialogOpen);
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
    EXPECT_FALSE(state().EncryptionBusy);
    EXPECT_TRUE(config().fraEn.enabled());
  }
  config().txtEnPwd.setText("");
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
    app().frmError().unload();
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
  const auto folders = config().lstFolders.items();
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
  EXPECT_FALSE(state().EncryptionBusy);
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
        auto& component = subsystems().RSPEncrypt1;
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
        if (faulted && op == static_cast<int>(FileOperation::Delete)) subsystems().RSPEncrypt1.removeLeftovers("C:\\docs");
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
  EXPECT_FALSE(state().EncryptionBusy);
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
    if (subsystems().run.running() && subsystems().commandRunner.waiting() == 0 && runsInside++ == 0) {
      // A decryption clicked in Explorer, its prompt answered.
      subsystems().commandRunner.queue(encryption::ExplorerRequest{encryption::Verb::Decrypt, {"C:\\Two"}, "secret"});
      config().Timer1.tick();  // the timer comes during the run
    }
  };
  run("en", "C:\\One");
  EXPECT_TRUE(sim.files.exists("C:\\One\\a.txt.ts7")) << "the first run was not disturbed";
  EXPECT_TRUE(sim.files.exists("C:\\Two\\b.txt.ts7")) << "the command waited";
  EXPECT_EQ(subsystems().commandRunner.waiting(), 1u);
  config().txtEnPwd.setText("other");
  sim.clock.advance(1000);
  EXPECT_EQ(*sim.files.content("C:\\Two\\b.txt"), "b") << "decrypted with the prompt's password";
  EXPECT_EQ(subsystems().commandRunner.waiting(), 0u);

  // No prompt: the page's password, which is wrong here.
  subsystems().commandRunner.queue(encryption::ExplorerRequest{encryption::Verb::Decrypt, {"C:\\One"}, std::nullopt});
  sim.clock.advance(1000);

  EXPECT_EQ(errorLines(), std::vector<std::string>{"Error  4: Check Password c:\\one\\a.txt.ts7"});
}

// The page: the password's Set and Reset, Display, Browse, Open, the
// sub-folder choice, the explanation, the Welcome shortcut, re-encrypting on Cancel.
TEST_F(EncryptionRunTest, ThePageStoresItsChoicesAndReEncryptsOnClose) {
  auto& page = config();
  page.txtEnPwd.setText("ab");
  page.cmdenpwd.click();
  EXPECT_EQ(noticeText(), "Password must be greater than 2 characters!");
  page.txtEnPwd.setText("Abc");
  page.cmdenpwd.click();
  EXPECT_EQ(getString(Root::Machine, "Software\\TSR\\PWD", "PWD2"), "Abc");
  EXPECT_FALSE(page.txtEnPwd.enabled());
  EXPECT_EQ(page.cmdenpwd.caption(), "Reset");
  for (const char* answer : {"cancel", "ok"}) {
    doEventsScript = [&] {
      if (FrmError* notice = app().openNotice()) (std::string(answer) == "ok" ? notice->cmdok : notice->cmdCancel).click();
    };
    page.cmdenpwd.click();
    EXPECT_EQ(page.cmdenpwd.caption(), std::string(answer) == "ok" ? "Set" : "Reset");
  }
  doEventsScript = nullptr;
  EXPECT_TRUE(page.txtEnPwd.enabled());
  page.lblDisplayEnPwd.click();
  EXPECT_EQ(noticeText(), "Abc");
  page.cmdHelper1.click();
  EXPECT_NE(noticeText().find("key).\nBecause"), std::string::npos);
  EXPECT_NE(noticeText().find("secured.\nOnly"), std::string::npos);
  EXPECT_NE(noticeText().find("accessed.\nThe user"), std::string::npos);

  sim.shell.queueBrowseAnswer("C:\\Picked\\x.doc.ts7");
  page.cmdBrowse.click();
  EXPECT_EQ(sim.shell.browseTitles(), std::vector<std::string>{"Select a file or folder"});
  EXPECT_EQ(getString(Root::Machine, "Software\\TSR\\Settings", "LastPath"), "C:\\Picked\\x.doc.ts7");
  page.cmdfolder.click();
  EXPECT_EQ(sim.shell.executed().back().file, "C:\\Picked\\x.doc.ts7");
  page.chkSub.click();
  EXPECT_EQ(getString(Root::User, "Software\\TSR\\Settings", "subfolders"), "1");

  sim.files.addFile("C:\\Picked\\x.doc", "document");
  page.chkReEncrypt.setValue(1);
  unlock();
  page.show();
  page.cmdCancel.click();
  EXPECT_TRUE(sim.files.exists("C:\\Picked\\x.doc.ts7"));
  EXPECT_FALSE(page.visible());
  EXPECT_FALSE(state().ConfigUnlocked);
  page.cmdlockfile.click();
  EXPECT_NE(prompt(), nullptr) << "the shortcut asks for the master password first";
  typePassword("openbox");
  page.cmdlockfile.click();
  EXPECT_EQ(page.SSTab1.tab(), FrmConfig::PageEncryption);
}

}  // namespace
}  // namespace tessara::testing
