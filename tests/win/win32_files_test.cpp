// The file system over kernel32, in a scratch folder under the temp folder.
#include "platform/win32/win32_files.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <random>
#include <string>

#include "shared/win32/handles.h"
#include "shared/win32/text.h"

namespace {

using win32kit::toUtf8;
using win32kit::toWide;
using win32kit::UniqueKernelHandle;

class Win32FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH + 1] = {};
    ASSERT_GT(GetTempPathW(MAX_PATH + 1, temp), 0u);
    folder_ = toUtf8(temp) + "tsr-files-" + std::to_string(std::random_device{}());
    ASSERT_TRUE(CreateDirectoryW(toWide(folder_).c_str(), nullptr));
  }
  void TearDown() override {
    for (const auto& entry : files_.list(folder_)) {
      const std::wstring path = toWide(folder_ + "\\" + entry.name);
      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (entry.directory) RemoveDirectoryW(path.c_str());
      else DeleteFileW(path.c_str());
    }
    RemoveDirectoryW(toWide(folder_).c_str());
  }

  std::string write(const std::string& name, const std::string& content) {
    const std::string path = folder_ + "\\" + name;
    const UniqueKernelHandle file(CreateFileW(toWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                              FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    return path;
  }

  std::string read(const std::string& path) {
    const UniqueKernelHandle file(CreateFileW(toWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                              OPEN_EXISTING, 0, nullptr));
    char buffer[256];
    DWORD got = 0;
    ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr);
    return std::string(buffer, got);
  }

  platform::win32::Win32Files files_;
  std::string folder_;
};

TEST_F(Win32FilesTest, ListSkipsDotEntriesAndMarksFolders) {
  write("a.txt", "a");
  write("\xE6\x97\xA5.txt", "b");  // a name beyond ASCII
  ASSERT_TRUE(CreateDirectoryW(toWide(folder_ + "\\Sub").c_str(), nullptr));
  auto entries = files_.list(folder_ + "\\");
  std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].name, "Sub");
  EXPECT_TRUE(entries[0].directory);
  EXPECT_EQ(entries[1].name, "a.txt");
  EXPECT_FALSE(entries[1].directory);
  EXPECT_EQ(entries[2].name, "\xE6\x97\xA5.txt");
  EXPECT_TRUE(files_.list(folder_ + "\\Nowhere").empty());
}

TEST_F(Win32FilesTest, CopyOverwritesAndReadOnlyFilesNeedNormalAttributes) {
  const std::string from = write("from.txt", "new");
  const std::string to = write("to.txt", "old");
  EXPECT_TRUE(files_.copyFile(from, to));
  EXPECT_EQ(read(to), "new");
  EXPECT_FALSE(files_.copyFile(folder_ + "\\missing.txt", to));

  ASSERT_TRUE(SetFileAttributesW(toWide(to).c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(files_.deleteFile(to));
  EXPECT_TRUE(files_.setNormalAttributes(to));
  EXPECT_EQ(files_.attributes(to).value_or(0) & FILE_ATTRIBUTE_READONLY, 0u);
  EXPECT_TRUE(files_.deleteFile(to));
  EXPECT_FALSE(files_.attributes(to).has_value());
  EXPECT_NE(files_.attributes(folder_).value_or(0) & platform::AttributeDirectory, 0u);
}

TEST_F(Win32FilesTest, ExclusiveHoldKeepsEveryoneOutAndFailsWhileSomeoneReads) {
  const std::string path = write("held.dat", "data");
  {
    auto held = files_.openExclusive(path);
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(read(path), "") << "another reader got in";
    EXPECT_FALSE(files_.deleteFile(path));
    EXPECT_EQ(files_.openExclusive(path), nullptr);
    EXPECT_EQ(files_.lastFailure().error, platform::FileError::InUse);
  }
  const UniqueKernelHandle reader(CreateFileW(toWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                              nullptr, OPEN_EXISTING, 0, nullptr));
  EXPECT_EQ(files_.openExclusive(path), nullptr) << "held although another program reads it";
  EXPECT_EQ(files_.lastFailure().error, platform::FileError::InUse);
  EXPECT_TRUE(files_.setAttributes(path, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
  EXPECT_EQ(files_.attributes(path).value_or(0) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM),
            DWORD(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
  EXPECT_TRUE(files_.setNormalAttributes(path));
}

TEST_F(Win32FilesTest, SystemFoldersExist) {
  const std::string windows = files_.windowsFolder();
  ASSERT_FALSE(windows.empty());
  EXPECT_NE(files_.attributes(windows).value_or(0) & platform::AttributeDirectory, 0u);
  const std::string current = files_.currentDirectory();
  ASSERT_FALSE(current.empty());
  EXPECT_NE(files_.attributes(current).value_or(0) & platform::AttributeDirectory, 0u);
}

// Where a path leads, however it is written: the rule that keeps the
// encryption out of the Windows folder compares these.
TEST_F(Win32FilesTest, FinalPathsAreTheSameForEverySpellingOfAFile) {
  const std::string file = write("final.txt", "x");
  const std::string expected = files_.finalPath(file);
  EXPECT_EQ(CompareStringOrdinal(toWide(expected).c_str(), -1, toWide(file).c_str(), -1, TRUE), CSTR_EQUAL)
      << expected << " for " << file;
  std::string slashed = folder_ + "/final.txt";
  std::string dotted = folder_ + "\\.\\sub\\..\\final.txt";
  std::string upper = file;
  std::transform(upper.begin(), upper.end(), upper.begin(), [](char c) { return static_cast<char>(std::toupper(c)); });
  for (const std::string& spelling : {slashed, dotted, upper}) EXPECT_EQ(files_.finalPath(spelling), expected) << spelling;

  const std::string windows = files_.windowsFolder();
  EXPECT_EQ(files_.finalPath(windows + "\\system32\\..\\"), files_.finalPath(windows));
  EXPECT_FALSE(files_.finalPath(folder_ + "\\missing\\..\\none.txt").empty()) << "a path that cannot be opened is tidied";
}

}  // namespace

namespace {

// What the encryption relies on: the file it wrote is the file it checks and
// names, and the file it read is the file it deletes, whatever others try.
TEST_F(Win32FilesTest, AnOpenFileIsCheckedRenamedAndDeletedThroughItsOwnHandle) {
  const std::string temporary = folder_ + "\\~out.tmp", target = folder_ + "\\out.ts7";
  auto out = files_.createNew(temporary);
  ASSERT_TRUE(out);
  const std::string data = "sealed bytes";
  ASSERT_TRUE(out->write({reinterpret_cast<const std::uint8_t*>(data.data()), data.size()}));
  ASSERT_TRUE(out->flush());
  std::uint8_t back[64] = {};
  EXPECT_EQ(out->readAt(0, back), std::optional<std::size_t>(data.size()));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(back), data.size()), data);
  EXPECT_FALSE(files_.openRead(temporary)) << "another program opened the output";
  EXPECT_FALSE(files_.renameNoReplace(temporary, folder_ + "\\elsewhere.tmp")) << "another program moved it";
  EXPECT_FALSE(files_.deleteFile(temporary));
  const auto identity = out->identity();
  ASSERT_TRUE(identity.has_value());
  EXPECT_EQ(files_.identity(temporary), identity);
  EXPECT_TRUE(out->isNamed(temporary));
  write("other.txt", "another file");
  EXPECT_FALSE(out->isNamed(folder_ + "\\other.txt"));
  EXPECT_FALSE(out->isNamed(folder_ + "\\missing.txt"));

  write("out.ts7", "there first");
  EXPECT_FALSE(out->renameNoReplace(target));
  EXPECT_EQ(out->lastFailure().error, platform::FileError::AlreadyExists);
  EXPECT_EQ(read(target), "there first");
  ASSERT_TRUE(DeleteFileW(toWide(target).c_str()));
  ASSERT_TRUE(out->renameNoReplace(target)) << out->lastFailure().reason;
  out.reset();
  EXPECT_FALSE(files_.attributes(temporary).has_value());
  EXPECT_EQ(files_.identity(target), identity);
  EXPECT_EQ(read(target), data);

  // Read, held against renames, then deleted through the same handle.
  auto in = files_.openRead(target);
  ASSERT_TRUE(in);
  EXPECT_FALSE(files_.renameNoReplace(target, folder_ + "\\swapped.ts7"));
  ASSERT_TRUE(in->deleteOnClose()) << in->lastFailure().reason;
  in.reset();
  EXPECT_FALSE(files_.attributes(target).has_value());
}

}  // namespace
