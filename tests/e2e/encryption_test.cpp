// A user's whole encryption task through the real tessara7 under Wine: a
// folder with a non-ANSI name and a path longer than MAX_PATH, the password
// set on the Encryption page, Encrypt with its progress window, Decrypt and
// every byte back; a wrong password refused with nothing changed; the
// program killed in the middle of a large file, which loses nothing; and
// Abort in the middle of a file.
#include <algorithm>
#include <cstdlib>
#include <map>

#include "tests/e2e/file_helpers.h"
#include "tests/e2e/tessara_driver.h"

namespace e2e {
namespace {

constexpr const char* kCryptClass = "Tessara.frmCrypt";

class EncryptionE2e : public E2eTest {
 protected:
  void SetUp() override {
    E2eTest::SetUp();
    base_ = freshTempFolder("Tessara Ünïcödé 文件");
    ASSERT_TRUE(exists(base_));
  }
  void TearDown() override {
    E2eTest::TearDown();
    removeTree(base_);
  }

  // Starts the program and opens its configuration.
  void startProgram() {
    program_.emplace("tessara7");
    main_ = waitForMainWindow();
    ASSERT_NE(main_, nullptr);
    ASSERT_TRUE(unlockConfiguration(main_));
  }
  // Starts a run with the button and waits for it to end.
  void runAndWait(const char* button) {
    ASSERT_TRUE(clickButton(main_, idOf(button)));
    ASSERT_EQ(waitForAnswer(main_, "fraEn.enabled", "0", 5000), "0") << "the run did not start";
    ASSERT_EQ(waitForAnswer(main_, "fraEn.enabled", "1", 120000), "1") << "the run did not end";
  }
  void setPassword(const std::string& password) {
    ASSERT_TRUE(setText(main_, idOf("txtEnPwd"), password));
    ASSERT_TRUE(clickButton(main_, idOf("cmdenpwd")));
    ASSERT_EQ(waitForAnswer(main_, "cmdenpwd.caption", "Reset"), "Reset");
  }

  std::string base_;
  std::optional<Program> program_;
  HWND main_ = nullptr;
};

TEST_F(EncryptionE2e, AUserEncryptsAndDecryptsAFolderAndAWrongPasswordOrAKillLosesNothing) {
  // The files: edges of the 64 KiB chunks, foreign names, a path past MAX_PATH.
  std::string deep = base_ + "\\Sub Ordner";
  ASSERT_TRUE(CreateDirectoryW(systemPath(deep).c_str(), nullptr));
  while (deep.size() < 300) {
    deep += "\\Ébène " + std::to_string(deep.size());
    ASSERT_TRUE(CreateDirectoryW(systemPath(deep).c_str(), nullptr)) << deep;
  }
  const std::map<std::string, std::string> files = {
      {base_ + "\\Résumé Ω.txt", "1"},
      {base_ + "\\empty", ""},
      {base_ + "\\edge-1.bin", randomBytes(65535, 1)},
      {base_ + "\\edge.bin", randomBytes(65536, 2)},
      {base_ + "\\Sub Ordner\\edge+1.bin", randomBytes(65537, 3)},
      {deep + "\\Tief.dat", randomBytes(6 << 20, 4)},
  };
  for (const auto& [path, bytes] : files) ASSERT_TRUE(writeFile(path, bytes)) << path;
  ASSERT_GT((deep + "\\Tief.dat").size(), static_cast<std::size_t>(MAX_PATH));

  startProgram();
  ASSERT_TRUE(setText(main_, idOf("txtPath"), base_));
  setPassword("Geheim 7");
  ASSERT_TRUE(clickButton(main_, idOf("chkSub")));
  ASSERT_EQ(waitForAnswer(main_, "chkSub.value", "1"), "1");

  // Encrypt: the progress window comes up, above the others, and goes.
  ASSERT_TRUE(clickButton(main_, idOf("cmdEncrypt")));
  HWND crypt = waitForVisibleWindow(kCryptClass, 10000);
  ASSERT_NE(crypt, nullptr) << "no progress window";
  EXPECT_EQ(windowText(crypt), "Encrypt");
  EXPECT_NE(GetWindowLongPtrW(crypt, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  EXPECT_EQ(query(crypt, "Label1.caption"), "128Bit AES.");
  ASSERT_EQ(waitForAnswer(main_, "fraEn.enabled", "1", 120000), "1");
  EXPECT_TRUE(waitUntil(3000, [&] { return !IsWindow(crypt); })) << "no errors: the window closes";
  std::map<std::string, std::string> sealed;
  for (const auto& [path, bytes] : files) {
    EXPECT_FALSE(exists(path)) << path;
    const auto ts7 = readFile(path + ".ts7");
    ASSERT_TRUE(ts7) << path;
    EXPECT_EQ(ts7->substr(0, 7), "TS7FILE");
    sealed[path] = *ts7;
  }

  // A wrong password: the first file refused with "Check Password", nothing changed.
  ASSERT_TRUE(clickButton(main_, idOf("cmdenpwd")));
  HWND notice = waitForVisibleWindow(kNoticeClass, 5000);
  ASSERT_NE(notice, nullptr) << "the warning before a reset";
  ASSERT_TRUE(clickButton(notice, idOf("cmdok")));
  ASSERT_EQ(waitForAnswer(main_, "cmdenpwd.caption", "Set"), "Set");
  setPassword("falsch");
  runAndWait("cmddecrypt");
  crypt = waitForVisibleWindow(kCryptClass, 3000);
  ASSERT_NE(crypt, nullptr) << "the window stays with its error line";
  const auto lines = splitLines(query(crypt, "List1.items").value_or(""));
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_TRUE(lines[0].starts_with("Error  4: Check Password ")) << lines[0];
  EXPECT_EQ(query(crypt, "cmdabort.caption"), "Close");
  for (const auto& [path, bytes] : files) EXPECT_EQ(readFile(path + ".ts7"), sealed[path]) << path;
  ASSERT_TRUE(clickButton(crypt, idOf("cmdabort")));
  EXPECT_TRUE(waitUntil(3000, [&] { return !IsWindow(crypt); }));

  // The right password: every file back, byte for byte.
  ASSERT_TRUE(clickButton(main_, idOf("cmdenpwd")));
  ASSERT_TRUE(clickButton(waitForVisibleWindow(kNoticeClass, 5000), idOf("cmdok")));
  ASSERT_EQ(waitForAnswer(main_, "cmdenpwd.caption", "Set"), "Set");
  setPassword("Geheim 7");
  runAndWait("cmddecrypt");
  for (const auto& [path, bytes] : files) {
    EXPECT_EQ(readFile(path), bytes) << path;
    EXPECT_FALSE(exists(path + ".ts7")) << path;
  }

  // Killed in the middle of a large file: the source intact, the next run cleans up.
  const std::string large = base_ + "\\Großes Video.bin";
  const std::string largeBytes = randomBytes(160 << 20, 5);
  ASSERT_TRUE(writeFile(large, largeBytes));
  ASSERT_TRUE(setText(main_, idOf("txtPath"), large));
  ASSERT_TRUE(clickButton(main_, idOf("cmdEncrypt")));
  crypt = waitForVisibleWindow(kCryptClass, 10000);
  ASSERT_NE(crypt, nullptr);
  ASSERT_TRUE(waitUntil(60000, [&] {
    const int percent = std::atoi(query(crypt, "lblProgress.caption", 1000).value_or("0").c_str());
    return percent >= 1 && percent <= 95;  // within the file: it passes in a fraction of a second
  })) << "no progress to interrupt";
  program_->kill();
  EXPECT_EQ(readFile(large), largeBytes) << "the source survived the kill";
  EXPECT_FALSE(exists(large + ".ts7"));
  const auto leftBehind = namesIn(base_);
  EXPECT_TRUE(std::any_of(leftBehind.begin(), leftBehind.end(), [](const std::string& name) {
    return name.starts_with("~ts7");
  })) << "the killed run's temporary file is there to clean up";

  startProgram();
  EXPECT_EQ(query(main_, "cmdenpwd.caption"), "Reset") << "the stored password came back";
  ASSERT_TRUE(setText(main_, idOf("txtPath"), base_));
  runAndWait("cmdEncrypt");
  for (const std::string& name : namesIn(base_)) EXPECT_FALSE(name.starts_with("~ts7")) << name << " was left";
  EXPECT_TRUE(exists(large + ".ts7"));
  EXPECT_FALSE(exists(large));

  // Abort in the middle of the large file's decryption: the run stops within
  // the file, the .ts7 stays as it was, and Close can be pressed.
  const auto largeSealed = readFile(large + ".ts7");
  ASSERT_TRUE(largeSealed);
  ASSERT_TRUE(setText(main_, idOf("txtPath"), large + ".ts7"));
  ASSERT_TRUE(clickButton(main_, idOf("cmddecrypt")));
  crypt = waitForVisibleWindow(kCryptClass, 10000);
  ASSERT_NE(crypt, nullptr);
  ASSERT_TRUE(waitUntil(60000, [&] {
    const int percent = std::atoi(query(crypt, "lblProgress.caption", 1000).value_or("0").c_str());
    return percent >= 1 && percent <= 95;  // within the file: it passes in a fraction of a second
  })) << "no progress to abort";
  ASSERT_TRUE(clickButton(crypt, idOf("cmdabort")));
  ASSERT_EQ(waitForAnswer(main_, "fraEn.enabled", "1", 60000), "1");
  EXPECT_EQ(query(crypt, "cmdabort.caption"), "Close");
  EXPECT_EQ(query(crypt, "cmdabort.enabled"), "1");
  const auto abortLines = splitLines(query(crypt, "List1.items").value_or(""));
  ASSERT_EQ(abortLines.size(), 1u);
  EXPECT_NE(abortLines[0].find("Aborted"), std::string::npos) << abortLines[0];
  EXPECT_EQ(readFile(large + ".ts7"), largeSealed) << "the aborted file stays sealed";
  EXPECT_FALSE(exists(large));
  for (const std::string& name : namesIn(base_)) EXPECT_FALSE(name.starts_with("~ts7")) << name << " was left";
}

// The Windows folder written in other ways than the system writes it is
// still the Windows folder: refused, and nothing in it touched.
TEST_F(EncryptionE2e, TheWindowsFolderInAnotherSpellingIsRefused) {
  wchar_t folder[MAX_PATH] = {};
  ASSERT_GT(GetWindowsDirectoryW(folder, MAX_PATH), 0u);
  const std::string windows = narrow(folder);
  const std::string file = base_ + "\\kept.txt";
  ASSERT_TRUE(writeFile(file, "kept"));
  startProgram();
  setPassword("Geheim 7");
  for (const std::string& spelling :
       {windows + "\\system32\\..\\win.ini", windows.substr(0, 2) + "/" + windows.substr(3) + "\\win.ini"}) {
    SCOPED_TRACE(spelling);
    ASSERT_TRUE(setText(main_, idOf("txtPath"), spelling));
    ASSERT_TRUE(clickButton(main_, idOf("cmdEncrypt")));
    HWND notice = waitForVisibleWindow(kNoticeClass, 5000);
    ASSERT_NE(notice, nullptr) << "no refusal";
    EXPECT_EQ(waitForAnswer(notice, "Label1.caption", "Cannot encrypt from the Windows direcory."),
              "Cannot encrypt from the Windows direcory.");
    ASSERT_TRUE(clickButton(notice, idOf("cmdok")));
    EXPECT_TRUE(waitUntil(3000, [&] { return !isVisible(notice); }));
  }
  EXPECT_FALSE(exists(windows + "\\win.ini.ts7"));
  // The same run on a folder of the user's encrypts it (the refusal is the rule's).
  ASSERT_TRUE(setText(main_, idOf("txtPath"), file));
  runAndWait("cmdEncrypt");
  EXPECT_TRUE(exists(file + ".ts7"));
}

}  // namespace
}  // namespace e2e
