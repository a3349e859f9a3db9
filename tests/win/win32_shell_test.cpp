// Program starts and the program's own path through kernel32.
#include "platform/win32/win32_shell.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "shared/win32/text.h"

namespace {

using platform::win32::Win32Shell;

std::string systemProgram(const char* name) {
  wchar_t folder[MAX_PATH] = {};
  GetSystemDirectoryW(folder, MAX_PATH);
  return win32kit::toUtf8(folder) + "\\" + name;
}

TEST(Win32Shell, StartsAProgramWithoutWaiting) {
  Win32Shell shell;
  const auto result = shell.startProgram(systemProgram("hostname.exe"), platform::SwShowMinimized, {});
  EXPECT_TRUE(result.started) << result.error;
  EXPECT_EQ(result.error, "");
}

TEST(Win32Shell, FailedStartCarriesTheSystemsDescription) {
  Win32Shell shell;
  const auto result = shell.startProgram("C:\\nowhere\\missing.exe", platform::SwShowNormal, {});
  EXPECT_FALSE(result.started);
  EXPECT_EQ(result.error, platform::win32::systemErrorText(ERROR_PATH_NOT_FOUND));
  ASSERT_FALSE(result.error.empty());
  EXPECT_NE(result.error.back(), '\n');
  EXPECT_NE(result.error.rfind("Error ", 0), 0u);  // a real description, not the fallback
}

TEST(Win32Shell, ProgramPathNamesTheRunningFile) {
  Win32Shell shell;
  const std::string path = shell.programPath();
  ASSERT_GT(path.size(), 4u);
  EXPECT_EQ(path.substr(path.size() - 4), ".exe");
  EXPECT_NE(GetFileAttributesW(win32kit::toWide(path).c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
