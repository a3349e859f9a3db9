// The configuration transfer with the real programs installed on drive C:
// Export... writes both copies of the store as hive files to C:\, Import...
// puts them back whole, and the tool's failures and idle run show as they should.
#include <windows.h>

#include <string>
#include <vector>

#include "shared/win32/file_trust.h"
#include "tests/e2e/harness.h"
#include "tests/e2e/tessara_driver.h"

namespace e2e {
namespace {

constexpr const char* kStore = "Software\\TSR";
constexpr const char* kSettings = "Software\\TSR\\Settings";
constexpr const char* kMachineFile = "C:\\tsrlocusr.dat";
constexpr const char* kUserFile = "C:\\tsrcurusr.dat";
constexpr const char* kMessageTitle = "Registry Operation Complete";
constexpr const char* kExported =
    "The Configuration was saved to the root of your drive as: tsrlocusr.dat and tsrcurusr.dat. Copy these files "
    "to the root of the Destination computer's drive (usually C drive) and then use the Import button.";
constexpr const char* kImported = "Importing the Registry Key Complete";

std::string systemText(DWORD error) {
  wchar_t* buffer = nullptr;
  FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                 error, 0, reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
  std::wstring text = buffer ? buffer : L"";
  LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) text.pop_back();
  return narrow(text);
}

bool fileExists(const std::string& path) { return GetFileAttributesW(widen(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

void enablePrivilege(const wchar_t* name) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return;
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  if (LookupPrivilegeValueW(nullptr, name, &privileges.Privileges[0].Luid))
    AdjustTokenPrivileges(token, FALSE, &privileges, sizeof privileges, nullptr, nullptr);
  CloseHandle(token);
}

// A value inside a hive file, read by loading the file as the system does;
// nothing when the file does not load or lacks the value.
std::optional<std::string> valueInHive(const std::string& file, const std::string& key, const std::string& name) {
  enablePrivilege(SE_RESTORE_NAME);
  enablePrivilege(SE_BACKUP_NAME);
  const wchar_t* mount = L"TsrE2eHive";
  if (RegLoadKeyW(HKEY_LOCAL_MACHINE, mount, widen(file).c_str()) != ERROR_SUCCESS) return std::nullopt;
  std::optional<std::string> value;
  {
    const std::wstring path = std::wstring(mount) + L"\\" + widen(key);
    wchar_t data[512] = {};
    DWORD size = sizeof data - sizeof(wchar_t);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, path.c_str(), widen(name).c_str(), RRF_RT_REG_SZ, nullptr, data, &size) ==
        ERROR_SUCCESS)
      value = narrow(data);
  }
  RegUnLoadKeyW(HKEY_LOCAL_MACHINE, mount);
  return value;
}

// The programs copied to a folder of drive C:, so that the export goes to C:\.
std::string install(const std::string& folder, std::initializer_list<const char*> programs) {
  CreateDirectoryW(widen(folder).c_str(), nullptr);
  for (const char* program : programs)
    CopyFileW(widen(programFolder() + "\\" + program).c_str(), widen(folder + "\\" + program).c_str(), FALSE);
  return folder;
}

class TransferE2eTest : public E2eTest {
 protected:
  void SetUp() override {
    E2eTest::SetUp();
    removeTransferFiles();
  }
  void TearDown() override {
    E2eTest::TearDown();
    removeTransferFiles();
  }
  static void removeTransferFiles() {
    DeleteFileW(widen(kMachineFile).c_str());
    DeleteFileW(widen(kUserFile).c_str());
  }

  // tessara7 from an installed folder, with its configuration unlocked.
  HWND startUnlocked(const std::string& folder) {
    program_ = Program::atPath(folder + "\\" + names::MainProgram);
    HWND main = waitForMainWindow();
    if (main && !unlockConfiguration(main)) return nullptr;
    return main;
  }

  // Clicks the command and returns the tool's closing message, once the tool has ended.
  std::string transfer(HWND main, const char* command) {
    if (!clickButton(main, idOf(command))) return "<no button>";
    HWND box = waitForWindow(kMessageTitle, 20000, "#32770");
    if (!box) return "<no message>";
    std::string text;
    for (int id : {0xFFFF, 100})  // the text's id on Windows and on Wine
      if (HWND label = GetDlgItem(box, id)) text = getText(label).value_or("");
    clickButton(box, IDOK);
    if (!waitUntil(10000, [] { return processIds(names::TransferProgram).empty(); })) return "<tool still running>";
    return text;
  }

  std::optional<Program> program_;
};

TEST_F(TransferE2eTest, ExportWritesBothStoresAsHiveFilesAndImportPutsThemBackWhole) {
  RegistryFixture::writeString(Root::Machine, kSettings, "LockIE", "1");
  RegistryFixture::writeString(Root::Machine, "Software\\TSR\\Windows0", "Window", "Notepad");
  RegistryFixture::writeString(Root::User, "Software\\TSR\\PWD", "title2", "user secret");
  HWND main = startUnlocked(install("C:\\TsrTransfer", {names::MainProgram, names::TransferProgram}));
  ASSERT_NE(main, nullptr);

  // Export: both files, real hives of both stores; a second export replaces them.
  EXPECT_EQ(transfer(main, "cmdExport"), kExported);
  EXPECT_EQ(valueInHive(kMachineFile, "Settings", "LockIE"), "1");
  EXPECT_EQ(valueInHive(kMachineFile, "Windows0", "Window"), "Notepad");
  EXPECT_EQ(valueInHive(kUserFile, "PWD", "title2"), "user secret");
  for (const char* file : {kMachineFile, kUserFile})
    EXPECT_EQ(win32kit::fileTrust(widen(file).c_str()).trust, win32kit::FileTrust::OnlyAdministrators) << file;
  RegistryFixture::writeString(Root::Machine, kSettings, "LockIE", "0");
  EXPECT_EQ(transfer(main, "cmdExport"), kExported);
  EXPECT_EQ(valueInHive(kMachineFile, "Settings", "LockIE"), "0");

  // Import into a destination without the store: both keys come back filled.
  RegistryFixture::clearStore();
  EXPECT_EQ(transfer(main, "cmdImport"), kImported);
  EXPECT_EQ(RegistryFixture::readString(Root::Machine, kSettings, "LockIE"), "0");
  EXPECT_EQ(RegistryFixture::readString(Root::Machine, "Software\\TSR\\Windows0", "Window"), "Notepad");
  EXPECT_EQ(RegistryFixture::readString(Root::User, "Software\\TSR\\PWD", "title2"), "user secret");

  // Import over a destination with more: what the files lack is gone under both roots.
  for (Root root : {Root::Machine, Root::User}) {
    RegistryFixture::writeString(root, "Software\\TSR\\Stray", "Left", "over");
    RegistryFixture::writeString(root, kSettings, "Stray", "1");
  }
  RegistryFixture::writeString(Root::Machine, kSettings, "LockIE", "1");
  EXPECT_EQ(transfer(main, "cmdImport"), kImported);
  for (Root root : {Root::Machine, Root::User}) {
    EXPECT_FALSE(RegistryFixture::keyExists(root, "Software\\TSR\\Stray")) << static_cast<int>(root);
    EXPECT_FALSE(RegistryFixture::readString(root, kSettings, "Stray").has_value()) << static_cast<int>(root);
  }
  EXPECT_EQ(RegistryFixture::readString(Root::Machine, kSettings, "LockIE"), "0");
  EXPECT_EQ(RegistryFixture::readString(Root::User, "Software\\TSR\\PWD", "title2"), "user secret");
}

TEST_F(TransferE2eTest, ADamagedTransferFileIsReportedAndLeavesTheStoreAsItWas) {
  {
    const std::wstring path = widen(kMachineFile);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    const char junk[] = "not a registry hive at all";
    DWORD written = 0;
    WriteFile(file, junk, sizeof junk, &written, nullptr);
    CloseHandle(file);
  }
  RegistryFixture::writeString(Root::Machine, kSettings, "LockIE", "1");
  // What a whole import would replace: a value the file lacks, under the store's own key.
  ASSERT_TRUE(RegistryFixture::writeString(Root::Machine, kStore, "", "before the import"));
  ASSERT_TRUE(RegistryFixture::writeString(Root::Machine, "Software\\TSR\\Windows0", "Window", "Notepad"));
  HWND main = startUnlocked(install("C:\\TsrTransfer", {names::MainProgram, names::TransferProgram}));
  ASSERT_NE(main, nullptr);

  const std::string message = transfer(main, "cmdImport");
  EXPECT_EQ(message.rfind("The Configuration could not be imported from C:\\tsrlocusr.dat: ", 0), 0u) << message;
  EXPECT_GT(message.size(), std::string("The Configuration could not be imported from C:\\tsrlocusr.dat: ").size());
  EXPECT_EQ(RegistryFixture::readString(Root::Machine, kSettings, "LockIE"), "1");
  EXPECT_EQ(RegistryFixture::readString(Root::Machine, kStore, ""), "before the import") << "nothing was written";
  EXPECT_EQ(RegistryFixture::readString(Root::Machine, "Software\\TSR\\Windows0", "Window"), "Notepad");
  EXPECT_FALSE(RegistryFixture::keyExists(Root::User, kStore)) << "the missing user file created nothing";
}

// One good file and one damaged one: the good one comes back whole, the damaged
// one is named in the message and its store stays as it was.
TEST_F(TransferE2eTest, AnImportWithOneGoodAndOneDamagedFileRestoresTheGoodOneAndNamesTheOther) {
  HWND main = startUnlocked(install("C:\\TsrTransfer", {names::MainProgram, names::TransferProgram}));
  ASSERT_NE(main, nullptr);
  struct Case {
    const char* damaged;  // the file made unreadable
    Root damagedRoot, goodRoot;
  };
  for (const Case& c : {Case{kUserFile, Root::User, Root::Machine}, Case{kMachineFile, Root::Machine, Root::User}}) {
    SCOPED_TRACE(std::string("damaged: ") + c.damaged);
    RegistryFixture::clearStore();
    for (Root root : {Root::Machine, Root::User})
      ASSERT_TRUE(RegistryFixture::writeString(root, kSettings, "Exported", "from the file"));
    ASSERT_EQ(transfer(main, "cmdExport"), kExported);
    // The file's content replaced, its rights kept, so that only its content is wrong.
    {
      Handle file(CreateFileW(widen(c.damaged).c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, 0, nullptr));
      ASSERT_NE(file.get(), INVALID_HANDLE_VALUE);
      const char junk[] = "not a registry hive at all";
      DWORD written = 0;
      ASSERT_TRUE(WriteFile(file.get(), junk, sizeof junk, &written, nullptr));
    }
    // The stores now differ from both files.
    for (Root root : {Root::Machine, Root::User}) {
      ASSERT_TRUE(RegistryFixture::writeString(root, kSettings, "Exported", "changed since"));
      ASSERT_TRUE(RegistryFixture::writeString(root, kSettings, "Later", "1"));
    }

    const std::string message = transfer(main, "cmdImport");
    const std::string named = std::string("The Configuration could not be imported from ") + c.damaged + ": ";
    EXPECT_EQ(message.rfind(named, 0), 0u) << message;
    EXPECT_GT(message.size(), named.size()) << "the system's reason follows";
    EXPECT_EQ(RegistryFixture::readString(c.goodRoot, kSettings, "Exported"), "from the file");
    EXPECT_FALSE(RegistryFixture::readString(c.goodRoot, kSettings, "Later").has_value()) << "the good file came back whole";
    EXPECT_EQ(RegistryFixture::readString(c.damagedRoot, kSettings, "Exported"), "changed since");
    EXPECT_EQ(RegistryFixture::readString(c.damagedRoot, kSettings, "Later"), "1");
  }
}

TEST_F(TransferE2eTest, AMissingToolIsReportedWithTheSystemsText) {
  DeleteFileW(L"C:\\TsrNoTool\\hivexfer.exe");
  HWND main = startUnlocked(install("C:\\TsrNoTool", {names::MainProgram}));
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(clickButton(main, idOf("cmdExport")));
  HWND notice = waitForVisibleWindow(kNoticeClass, 5000);
  ASSERT_NE(notice, nullptr);
  const std::string expected = systemText(ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(waitForAnswer(notice, "Label1.caption", expected), expected);
  EXPECT_FALSE(fileExists(kMachineFile));
}

TEST_F(TransferE2eTest, TheToolStartedByHandShowsItsButtonsAndEndsAfterHalfASecondWritingNothing) {
  const std::string folder = install("C:\\TsrTransfer", {names::TransferProgram});
  Program tool = Program::atPath(folder + "\\" + names::TransferProgram);
  ASSERT_TRUE(tool.started());
  HWND window = waitForWindow(names::TransferIdleTitle, 5000, names::TransferClass);
  ASSERT_NE(window, nullptr) << "no \"Registry Controller [TSR]\" window";
  EXPECT_EQ(processOf(window), tool.pid());
  auto enabled = [&](const wchar_t* caption) -> std::optional<bool> {
    HWND button = FindWindowExW(window, nullptr, L"Button", caption);
    if (!button) return std::nullopt;
    return IsWindowEnabled(button) != FALSE;
  };
  // The window is found as soon as it exists, its buttons a moment later.
  ASSERT_TRUE(waitUntil(2000, [&] { return enabled(L"Delete Reg Key").has_value(); }));
  for (const wchar_t* caption : {L"Export Reg Key", L"Import Reg Key", L"Exit"})
    EXPECT_EQ(enabled(caption), true) << narrow(caption);
  for (const wchar_t* caption : {L"Write Reg Key", L"Change Reg Key Value", L"Read Reg Key", L"Enum Reg Keys",
                                 L"Enum Reg Key Values", L"Delete Reg Key Value", L"Delete Reg Key"})
    EXPECT_EQ(enabled(caption), false) << narrow(caption);

  const auto code = tool.waitExit(5000);
  ASSERT_TRUE(code.has_value()) << "still running after five seconds";
  EXPECT_EQ(*code, 0u);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(fileExists(kMachineFile));
  EXPECT_FALSE(fileExists(kUserFile));
  EXPECT_FALSE(RegistryFixture::keyExists(Root::User, "modRegistryTest"));
}

}  // namespace
}  // namespace e2e
