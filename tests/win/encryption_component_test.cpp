// The encryption component with CNG and real files under Wine: round trips at
// the chunk edges, names beyond ASCII and paths beyond MAX_PATH, refusals
// that leave every file as it was, and the checked-in vector.
#include "tessara7/encryption/encryption_component.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <random>

#include "platform/win32/win32_files.h"
#include "shared/win32/handles.h"
#include "shared/win32/text.h"
#include "tessara7/encryption/ts7_format.h"
#include "tests/shared/ts7_vector.h"

namespace {

using namespace tessara::encryption;
using platform::win32::systemPath;
using win32kit::toWide;
using win32kit::UniqueKernelHandle;

std::string pattern(std::size_t size) {
  std::string text(size, '\0');
  std::minstd_rand random(static_cast<unsigned>(size));
  for (char& c : text) c = static_cast<char>(random());
  return text;
}

class EncryptionComponentWin : public ::testing::Test {
 protected:
  EncryptionComponentWin() : component_(files_, {1000, 100000}) {
    component_.Error = [this](int number, const std::string& text) { errors_.push_back({number, text}); };
    component_.LetEventsRun = [this] {
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
      ++eventRuns_;
    };
  }
  void SetUp() override {
    wchar_t temp[MAX_PATH + 1] = {};
    ASSERT_GT(GetTempPathW(MAX_PATH + 1, temp), 0u);
    // A folder name beyond ASCII: Cyrillic, CJK and a check mark.
    folder_ = win32kit::toUtf8(temp) + "tsr-\xD0\xB6\xE6\x97\xA5\xE2\x9C\x93-" +
              std::to_string(std::random_device{}());
    ASSERT_TRUE(CreateDirectoryW(toWide(folder_).c_str(), nullptr));
  }
  void TearDown() override { removeTree(folder_); }

  void removeTree(const std::string& folder) {
    for (const auto& entry : files_.list(folder)) {
      const std::string path = folder + "\\" + entry.name;
      if (entry.directory) removeTree(path);
      else files_.deleteFile(path);
    }
    RemoveDirectoryW(systemPath(folder).c_str());
  }
  void write(const std::string& path, const std::string& content) {
    auto file = files_.createNew(path);
    ASSERT_TRUE(file) << path;
    ASSERT_TRUE(file->write({reinterpret_cast<const std::uint8_t*>(content.data()), content.size()}));
  }
  std::string read(const std::string& path) {
    auto file = files_.openRead(path);
    if (!file) return "<missing>";
    std::string content(static_cast<std::size_t>(file->size().value_or(0)), '\0');
    const auto got = file->read({reinterpret_cast<std::uint8_t*>(content.data()), content.size()});
    content.resize(got.value_or(0));
    return content;
  }
  std::vector<std::string> names(const std::string& folder) {
    std::vector<std::string> result;
    for (const auto& entry : files_.list(folder)) result.push_back(entry.name);
    std::sort(result.begin(), result.end());
    return result;
  }
  int lastError() const { return errors_.empty() ? 0 : errors_.back().first; }

  platform::win32::Win32Files files_;
  EncryptionComponent component_;
  std::string folder_;
  std::vector<std::pair<int, std::string>> errors_;
  int eventRuns_ = 0;
};

// The user's whole task for one file, as the run does it: encrypt, delete
// the source, decrypt, delete the .ts7; every size at a chunk edge.
TEST_F(EncryptionComponentWin, RoundTripsRealFilesWithForeignAndLongNames) {
  std::string deep = folder_;
  while (deep.size() < 300) {
    deep += "\\\xD0\xBF\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0-folder-of-some-length";
    ASSERT_TRUE(CreateDirectoryW(systemPath(deep).c_str(), nullptr));
  }
  // 40 MiB: a flush half-way, whose bytes are checked while the writing goes on.
  const std::size_t sizes[] = {0, 1, 65535, 65536, 65537, 6 * 1024 * 1024 + 7, 40 * 1024 * 1024 + 3};
  for (const std::size_t size : sizes) {
    for (const std::string& folder : {folder_, deep}) {
      const std::string source = folder + "\\R\xC3\xA9sum\xC3\xA9 \xE4\xB8\xAD " + std::to_string(size) + ".txt";
      const std::string content = pattern(size);
      write(source, content);
      const auto time = files_.lastWriteTime(source);
      ASSERT_TRUE(time);
      component_.setActive(true);
      ASSERT_TRUE(component_.encrypt(source, source + ".ts7", "p\xC3\xA4ss")) << source << errors_.back().second;
      EXPECT_EQ(read(source + ".ts7").size(), *ts7::fileSize(size));
      ASSERT_TRUE(files_.deleteFile(source));
      component_.setActive(true);
      ASSERT_TRUE(component_.decrypt(source + ".ts7", source, "p\xC3\xA4ss")) << source;
      EXPECT_TRUE(read(source) == content) << source;
      EXPECT_EQ(files_.lastWriteTime(source), time);
      ASSERT_TRUE(files_.deleteFile(source + ".ts7"));
      ASSERT_TRUE(files_.deleteFile(source));
    }
  }
  EXPECT_TRUE(errors_.empty());
  EXPECT_EQ(component_.keyDerivations(), 1u);
  EXPECT_GT(eventRuns_, 0);
  EXPECT_EQ(names(folder_).size(), 1u);  // the deep folder's first level only
}

TEST_F(EncryptionComponentWin, WrongPasswordDamageAndTruncationChangeNothing) {
  const std::string source = folder_ + "\\report.doc";
  write(source, pattern(200000));
  component_.setActive(true);
  ASSERT_TRUE(component_.encrypt(source, source + ".ts7", "right"));
  ASSERT_TRUE(files_.deleteFile(source));
  const std::string sealed = read(source + ".ts7");
  const auto before = names(folder_);

  component_.setActive(true);
  EXPECT_FALSE(component_.decrypt(source + ".ts7", source, "wrong"));
  EXPECT_EQ(lastError(), ErrorWrongPassword);
  EXPECT_EQ(names(folder_), before);

  std::string flipped = sealed;
  flipped[ts7::HeaderSize + 70000] ^= 1;
  for (const std::string& bad : {flipped, sealed.substr(0, sealed.size() - 16)}) {
    ASSERT_TRUE(files_.deleteFile(source + ".ts7"));
    write(source + ".ts7", bad);
    component_.setActive(true);
    EXPECT_FALSE(component_.decrypt(source + ".ts7", source, "right"));
    EXPECT_EQ(lastError(), ErrorDamaged);
    EXPECT_EQ(names(folder_), before);
  }
}

// A helper for the next test, run as a separate process: holds the file named
// by TSR_HOLD_FILE open without sharing until the test lets it go.
TEST(EncryptionComponentHelper, DISABLED_HoldFile) {
  wchar_t path[MAX_PATH * 4] = {};
  ASSERT_GT(GetEnvironmentVariableW(L"TSR_HOLD_FILE", path, MAX_PATH * 4), 0u);
  const UniqueKernelHandle file(CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_NE(file.get(), INVALID_HANDLE_VALUE);
  const UniqueKernelHandle ready(OpenEventW(EVENT_MODIFY_STATE, FALSE, L"TsrHoldFileReady"));
  const UniqueKernelHandle release(OpenEventW(SYNCHRONIZE, FALSE, L"TsrHoldFileRelease"));
  SetEvent(ready.get());
  WaitForSingleObject(release.get(), 30000);
}

TEST_F(EncryptionComponentWin, LockedSourceAndReadOnlyFolderAreRefusedCleanly) {
  const std::string source = folder_ + "\\locked.txt";
  write(source, "in use");
  const UniqueKernelHandle ready(CreateEventW(nullptr, TRUE, FALSE, L"TsrHoldFileReady"));
  const UniqueKernelHandle release(CreateEventW(nullptr, TRUE, FALSE, L"TsrHoldFileRelease"));
  SetEnvironmentVariableW(L"TSR_HOLD_FILE", toWide(source).c_str());
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring command = L"\"" + std::wstring(self) +
                         L"\" --gtest_also_run_disabled_tests --gtest_filter=EncryptionComponentHelper.*";
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
  const UniqueKernelHandle processHandle(process.hProcess), thread(process.hThread);
  ASSERT_EQ(WaitForSingleObject(ready.get(), 20000), WAIT_OBJECT_0);

  component_.setActive(true);
  EXPECT_FALSE(component_.encrypt(source, source + ".ts7", "pw"));
  EXPECT_EQ(lastError(), ErrorCannotRead);
  EXPECT_EQ(errors_.back().second, "Cannot read " + source + ": the file is in use by another program.");
  SetEvent(release.get());
  WaitForSingleObject(processHandle.get(), 20000);
  EXPECT_EQ(names(folder_), std::vector<std::string>{"locked.txt"});

  // A folder where nothing may be created, whoever asks: the system's own.
  const std::string readOnly = "Z:\\sys\\kernel\\locked.txt.ts7";
  component_.setActive(true);
  EXPECT_FALSE(component_.encrypt(source, readOnly, "pw"));
  EXPECT_EQ(lastError(), ErrorCannotWrite);
  EXPECT_EQ(errors_.back().second, "Cannot write " + readOnly + ": access is denied.");
  EXPECT_EQ(read(source), "in use");
  EXPECT_EQ(names(folder_), std::vector<std::string>{"locked.txt"});
}

TEST_F(EncryptionComponentWin, FileOperationsKeepNamesAndTimesAndRemoveLeftovers) {
  const std::string a = folder_ + "\\a.txt", b = folder_ + "\\b.txt";
  write(a, "a");
  write(b, "b");
  EXPECT_FALSE(files_.createNew(a));
  EXPECT_EQ(files_.lastFailure().error, platform::FileError::AlreadyExists);
  EXPECT_FALSE(files_.renameNoReplace(a, b));
  EXPECT_EQ(files_.lastFailure().error, platform::FileError::AlreadyExists);
  EXPECT_EQ(read(b), "b");
  {
    auto open = files_.openRead(a);
    EXPECT_FALSE(files_.deleteFile(a));  // open without delete sharing
    EXPECT_EQ(files_.lastFailure().error, platform::FileError::InUse);
  }
  // A temporary left behind goes; one still being written stays.
  write(folder_ + "\\~ts70123456789abcdef.tmp", "left over");
  auto writing = files_.createNew(folder_ + "\\~ts7fedcba9876543210.tmp");
  EXPECT_EQ(component_.removeLeftovers(folder_), 1);
  writing.reset();
  EXPECT_EQ(names(folder_), (std::vector<std::string>{"a.txt", "b.txt", "~ts7fedcba9876543210.tmp"}));
}

// A small file's output has its own name from the start: a cut one, as a
// killed run leaves it, never decrypts and goes with the next encryption.
TEST_F(EncryptionComponentWin, ACutSmallOutputNeverDecryptsAndIsReplacedNextTime) {
  const std::string source = folder_ + "\\a.txt";
  const std::string content = pattern(100000);
  write(source, content);
  component_.setActive(true);
  ASSERT_TRUE(component_.encrypt(source, source + ".ts7", "secret"));
  const std::string sealed = read(source + ".ts7");
  ASSERT_TRUE(files_.deleteFile(source + ".ts7"));
  write(source + ".ts7", sealed.substr(0, 70000));
  component_.setActive(true);
  EXPECT_FALSE(component_.decrypt(source + ".ts7", folder_ + "\\b.txt", "secret"));
  EXPECT_EQ(lastError(), ErrorDamaged);
  component_.setActive(true);
  ASSERT_TRUE(component_.encrypt(source, source + ".ts7", "secret")) << errors_.back().second;
  EXPECT_EQ(read(source + ".ts7").size(), sealed.size());
  EXPECT_EQ(read(source), content);
  EXPECT_EQ(names(folder_), (std::vector<std::string>{"a.txt", "a.txt.ts7"}));
}

// CNG writes exactly the bytes OpenSSL wrote into the checked-in vector, and
// reads that file back.
TEST_F(EncryptionComponentWin, CngWritesAndReadsTheCheckedInVector) {
  EncryptionComponent fixed(files_, {ts7_vector::Iterations, 10000000, ts7_vector::CountingRandom{}});
  const std::string plain = folder_ + "\\vector.bin";
  write(plain, ts7_vector::content());
  {
    const UniqueKernelHandle file(CreateFileW(systemPath(plain).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                              OPEN_EXISTING, 0, nullptr));
    const FILETIME time = {static_cast<DWORD>(ts7_vector::LastWrite), static_cast<DWORD>(ts7_vector::LastWrite >> 32)};
    ASSERT_TRUE(SetFileTime(file.get(), nullptr, nullptr, &time));
  }
  fixed.setActive(true);
  ASSERT_TRUE(fixed.encrypt(plain, plain + ".ts7", ts7_vector::Password));
  const std::string checkedIn = std::string("Z:") + TESSARA_SOURCE_DIR + "/" + ts7_vector::RelativePath;
  const std::string vector = read(checkedIn);
  ASSERT_EQ(vector.size(), 70144u);
  EXPECT_TRUE(read(plain + ".ts7") == vector);
  fixed.setActive(true);
  ASSERT_TRUE(fixed.decrypt(checkedIn, folder_ + "\\out.bin", ts7_vector::Password));
  EXPECT_TRUE(read(folder_ + "\\out.bin") == ts7_vector::content());
  EXPECT_EQ(files_.lastWriteTime(folder_ + "\\out.bin"), ts7_vector::LastWrite);
}

}  // namespace
