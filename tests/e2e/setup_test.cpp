// The setup, the file protector and the guarded uninstall, from the real
// installer: install silently, start the program as log-on does, try the
// uninstaller behind its back, switch restrictions on, then uninstall with
// the master password and check that nothing is left. And the launcher's
// clean-up on its own, in a folder of its own.
#include <shlobj.h>

#include <vector>

#include "shared/win32/data_folder.h"
#include "shared/win32/running_copy.h"
#include "tests/e2e/file_helpers.h"
#include "tests/e2e/guard_helpers.h"
#include "tests/e2e/installer_helpers.h"
#include "tests/e2e/lock_helpers.h"
#include "tests/e2e/tessara_driver.h"
#include "tessara7/restrictions/catalogue.h"

namespace e2e {
namespace {

constexpr const char* kInstallFolder = "C:\\Program Files\\Tessara";
constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kRunValue = "Tessara 7";
constexpr const char* kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessara7";
constexpr const char* kExplorerPolicies = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
constexpr const char* kStoragePolicies = "SYSTEM\\CurrentControlSet\\Control\\StorageDevicePolicies";
constexpr const char* kSetupLog = "setup.log";
constexpr const char* kConfigFolder = "C:\\TsrConfig";
const std::string kMenuClassKey = std::string("Software\\Classes\\CLSID\\") + names::ExplorerMenuClsid;
const std::string kMenuHandlerKey =
    std::string("Software\\Classes\\Directory\\shellex\\ContextMenuHandlers\\") + names::ExplorerMenuHandlerName;
// The spare copy first (in the data folder now), then what lies in the drive root.
const std::string kRootFiles[] = {narrow(win32kit::spareCopyPath()), std::string("C:\\") + names::UserHiveFile,
                                  std::string("C:\\") + names::MachineHiveFile, std::string("C:\\") + names::RootTextFile};

std::string inFolder(const std::string& folder, const char* file) { return folder + "\\" + file; }

// Every policy value a switch of the restrictions catalogue writes, read from the
// catalogue's own rows: the policy switches of the menus, the wallpaper, drive C:
// and USB boxes, and the "Restrict Taskbar..." set (those its switch writes when on).
std::vector<tessara::catalogue::PolicyValue> cataloguePolicies() {
  namespace c = tessara::catalogue;
  std::vector<c::PolicyValue> values;
  for (const c::Switch& entry : c::switches())
    if (entry.encoding == c::Encoding::PolicyDword) values.push_back({entry.key, entry.value, 1, 0});
  for (const c::PolicyValue* single : {&c::wallpaperLock(), &c::noViewOnDrive(), &c::usbWriteProtect()})
    values.push_back(*single);
  for (const c::PolicyValue& value : c::taskbarSet())
    if (value.on != c::kNotWritten) values.push_back(value);
  return values;
}

void writeFile(const std::string& path, const std::string& text) {
  Handle file(CreateFileW(widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) {
    (void)file.release();
    return;
  }
  DWORD written = 0;
  WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

void deleteFile(const std::string& path) {
  SetFileAttributesW(widen(path).c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileW(widen(path).c_str());
}

// Whether another program can open the file for reading now.
bool openable(const std::string& path) {
  HANDLE file = CreateFileW(widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

std::string startMenuFolder() {
  wchar_t path[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_COMMON_PROGRAMS, nullptr, 0, path);
  return narrow(path) + "\\Tessara";
}

bool processEnded(DWORD pid, DWORD timeoutMs) {
  Handle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
  if (!process) return true;
  return waitUntil(timeoutMs, [&] { return WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0; });
}

// The launcher's report after a clean-up in `folder` on drive C:.
std::string expectedReport(const std::string& folder) {
  std::string report = "Uninstall completed! 7 files deleted:\r";
  for (const char* file : {names::MainProgram, names::TransferProgram, names::HelpFile, names::OrderForm})
    report += inFolder(folder, file) + "\r";
  for (const std::string& file : kRootFiles) report += file + "\r";
  return report + "1 Startup Registry entry removed. \rStart Menu folder could not be deleted.\r";
}

// Removes whatever an installation (or a failed test) left, so that each
// test starts clean and nothing starts at the next Wine log-on.
void removeInstallation() {
  guard::deleteService();  // first, or it brings the program back
  endAllPrograms();
  for (const char* file : {names::MainProgram, names::TransferProgram, names::LauncherProgram, names::ExplorerMenuDll,
                           names::GuardProgram, names::HelpFile, names::OrderForm, names::Uninstaller, names::UninstallerData,
                           kSetupLog})
    deleteFile(inFolder(kInstallFolder, file));
  for (const char* file : {"PolicyDefinitions\\tessara.admx", "PolicyDefinitions\\en-US\\tessara.adml"})
    deleteFile(inFolder(kInstallFolder, file));
  RemoveDirectoryW(widen(inFolder(kInstallFolder, "PolicyDefinitions\\en-US")).c_str());
  RemoveDirectoryW(widen(inFolder(kInstallFolder, "PolicyDefinitions")).c_str());
  RemoveDirectoryW(widen(kInstallFolder).c_str());
  for (const std::string& file : kRootFiles) deleteFile(file);
  RemoveDirectoryW(win32kit::tessaraDataFolder().c_str());
  const std::string menu = startMenuFolder();
  deleteFile(menu + "\\Configure.lnk");
  deleteFile(menu + "\\Uninstall.lnk");
  RemoveDirectoryW(widen(menu).c_str());
  RegistryFixture::deleteValue(Root::Machine, kRunKey, kRunValue);
  RegistryFixture::deleteTree(Root::Machine, kUninstallKey);
  RegistryFixture::deleteTree(Root::User, kMenuClassKey);
  RegistryFixture::deleteTree(Root::User, kMenuHandlerKey);
  for (Root root : {Root::Machine, Root::User}) {
    for (const char* value : {"NoDesktop", "NoRun"}) RegistryFixture::deleteValue(root, kExplorerPolicies, value);
    for (const auto& policy : cataloguePolicies())
      RegistryFixture::deleteValue(root, std::string(policy.key), std::string(policy.value));
  }
  RegistryFixture::deleteValue(Root::Machine, kStoragePolicies, "WriteProtect");
}

class SetupTest : public E2eTest {
 protected:
  void SetUp() override {
    E2eTest::SetUp();
    removeInstallation();
  }
  void TearDown() override {
    removeInstallation();
    E2eTest::TearDown();
  }
};

TEST_F(SetupTest, InstallRunAtLogOnAndUninstallOnlyWithTheMasterPassword) {
  // With the Explorer menu switched on, the installed program registers the installed DLL.
  ASSERT_TRUE(RegistryFixture::writeString(Root::Machine, "Software\\TSR\\Settings", "chkContextMenu", "1"));
  // Installed silently: the files, the entries and the shortcuts.
  ASSERT_EQ(runAndWait(programFolder() + "\\tessara7-setup.exe", "/S", 120000), DWORD(0));
  for (const char* file : {names::MainProgram, names::TransferProgram, names::LauncherProgram, names::GuardProgram,
                           names::HelpFile, names::OrderForm, names::Uninstaller, names::UninstallerData})
    EXPECT_TRUE(fileExists(inFolder(kInstallFolder, file))) << file;
  for (const char* file : {"PolicyDefinitions\\tessara.admx", "PolicyDefinitions\\en-US\\tessara.adml"})
    EXPECT_TRUE(fileExists(inFolder(kInstallFolder, file))) << file;
  EXPECT_TRUE(fileExists(startMenuFolder() + "\\Configure.lnk"));
  EXPECT_TRUE(fileExists(startMenuFolder() + "\\Uninstall.lnk"));
  EXPECT_EQ(RegistryFixture::readString(Root::Machine, kUninstallKey, "DisplayName"), "Tessara 7");
  const auto runCommand = RegistryFixture::readString(Root::Machine, kRunKey, kRunValue);
  ASSERT_TRUE(runCommand.has_value());

  // Log-on runs the start-up entry's command; at install the guard service
  // starts the installed program (Wine runs no start-up entry then).
  const std::string installedProgram = inFolder(kInstallFolder, names::MainProgram);
  ASSERT_EQ(*runCommand, "\"" + installedProgram + "\"");
  HWND main = waitForMainWindow(15000);
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(win32kit::samePath(win32kit::processImagePath(processOf(main)), widen(installedProgram)))
      << narrow(win32kit::processImagePath(processOf(main)));
  const Handle tessara(OpenProcess(SYNCHRONIZE, FALSE, processOf(main)));
  ASSERT_TRUE(tessara);
  const auto running = [&] { return WaitForSingleObject(tessara.get(), 0) == WAIT_TIMEOUT; };
  const auto menuServer = RegistryFixture::readString(Root::User, kMenuClassKey + "\\InprocServer32", "");
  ASSERT_TRUE(menuServer.has_value());
  EXPECT_EQ(_wcsicmp(widen(*menuServer).c_str(), widen(inFolder(kInstallFolder, names::ExplorerMenuDll)).c_str()), 0);
  EXPECT_TRUE(RegistryFixture::keyExists(Root::User, kMenuHandlerKey));

  // The setup placed the spare and recorded the program's digest; the protector holds the data file.
  const std::string dataFile = inFolder(kInstallFolder, names::UninstallerData);
  EXPECT_TRUE(waitUntil(5000, [&] { return fileExists(kRootFiles[0]) && !openable(dataFile); }));
  EXPECT_EQ(RegistryFixture::readString(Root::Machine, names::GuardKey, names::ProgramDigestValue).value_or("").size(),
            64u);
  // What an earlier export would have left.
  writeFile(kRootFiles[1], "hive");
  writeFile(kRootFiles[2], "hive");

  // Asked to end for good by anyone before the hand-over, the program refuses.
  const UINT endRequest = RegisterWindowMessageW(widen(names::EndForUninstallMessage).c_str());
  DWORD_PTR answer = 1;
  ASSERT_TRUE(SendMessageTimeoutW(main, endRequest, 0, 0, SMTO_NORMAL, 5000, &answer));
  EXPECT_EQ(answer, 0u);
  EXPECT_TRUE(holdsFor(1000, running));

  // Behind the program's back, the uninstaller refuses and changes nothing.
  Program direct = Program::atPath(inFolder(kInstallFolder, names::Uninstaller));
  HWND refusal = waitForMessageBox(kUninstallerTitle, 20000);
  ASSERT_NE(refusal, nullptr) << "the uninstaller said nothing";
  EXPECT_NE(dialogText(refusal).find("uninstalled from its configuration"), std::string::npos) << dialogText(refusal);
  const DWORD refusingProcess = processOf(refusal);
  ASSERT_TRUE(clickButton(refusal, IDOK));
  ASSERT_TRUE(processEnded(refusingProcess, 10000));
  EXPECT_TRUE(fileExists(installedProgram));
  EXPECT_TRUE(running());
  EXPECT_TRUE(RegistryFixture::readString(Root::Machine, kRunKey, kRunValue).has_value());

  // Restrictions switched on through Apply and a System Protection box.
  ASSERT_TRUE(unlockConfiguration(main));
  for (const char* item : {"chkDesktop", "chkRun"}) ASSERT_TRUE(postMenuCommand(main, idOf(item)));
  ASSERT_EQ(waitForAnswer(main, "menu.chkRun.checked", "1"), "1");
  ASSERT_TRUE(clickButton(main, idOf("chklockusb")));
  ASSERT_TRUE(clickButton(main, idOf("cmdok")));
  Root scope = Root::User;
  ASSERT_TRUE(waitUntil(5000, [&] {
    for (Root root : {Root::User, Root::Machine})
      if (RegistryFixture::readDword(root, kExplorerPolicies, "NoRun") == DWORD(1)) return scope = root, true;
    return false;
  })) << "Apply wrote no policy";
  ASSERT_EQ(RegistryFixture::readDword(Root::Machine, kStoragePolicies, "WriteProtect"), DWORD(1));

  // A wrong password changes nothing.
  ASSERT_TRUE(clickButton(main, idOf("cmdUninstall")));
  HWND prompt = waitForVisibleWindow(kPromptClass, 5000);
  ASSERT_NE(prompt, nullptr);
  EXPECT_EQ(query(prompt, "lblProgram.caption"), "Uninstall Tessara");
  ASSERT_TRUE(submitPassword(prompt, "not the password"));
  ASSERT_TRUE(waitUntil(5000, [&] { return !isVisible(prompt) || !IsWindow(prompt); }));
  EXPECT_EQ(query(main, "cmdUninstall.caption"), "Uninstall");
  EXPECT_FALSE(openable(dataFile));

  // The right one arms the label; the second click hands over and uninstalls.
  ASSERT_TRUE(clickButton(main, idOf("cmdUninstall")));
  prompt = waitForVisibleWindow(kPromptClass, 5000);
  ASSERT_NE(prompt, nullptr);
  ASSERT_TRUE(submitPassword(prompt, kDefaultPassword));
  HWND armed = waitForMessageBox(kMainTitle, 5000);
  ASSERT_NE(armed, nullptr);
  EXPECT_EQ(dialogText(armed), "Click Uninstall again to proceed. Or, run 'unins000.exe' from the program directory.");
  ASSERT_TRUE(clickButton(armed, IDOK));
  ASSERT_EQ(waitForAnswer(main, "cmdUninstall.caption", "> Uninstall <"), "> Uninstall <");
  ASSERT_TRUE(clickButton(main, idOf("cmdUninstall")));

  HWND uninstaller = nullptr;
  waitUntil(20000, [&] { return (uninstaller = uninstallerPage()) != nullptr; });
  ASSERT_NE(uninstaller, nullptr) << "the uninstaller did not start";
  ASSERT_TRUE(waitUntil(10000, [&] { return !running(); })) << "the program did not end for the uninstaller";
  EXPECT_TRUE(processIds(names::MainProgram).empty()) << "the program started a new copy";
  ASSERT_TRUE(clickButton(uninstaller, IDOK));  // "Uninstall" on the confirmation page

  HWND report = waitForMessageBox(names::CleanupReportTitle, 30000);
  ASSERT_NE(report, nullptr) << "the launcher's clean-up reported nothing";
  EXPECT_EQ(dialogText(report), expectedReport(kInstallFolder));
  ASSERT_TRUE(clickButton(report, IDOK));

  HWND keep = waitForMessageBox("Tessara 7 Settings", 30000);
  ASSERT_NE(keep, nullptr) << "no question about the settings";
  ASSERT_TRUE(clickButton(keep, IDNO));

  EXPECT_TRUE(waitUntil(30000, [] { return !fileExists(kInstallFolder); })) << "the program folder stayed";
  EXPECT_TRUE(waitUntil(10000, [] { return uninstallerPage() == nullptr; }));
  EXPECT_FALSE(fileExists(startMenuFolder()));
  EXPECT_FALSE(RegistryFixture::readString(Root::Machine, kRunKey, kRunValue).has_value());
  EXPECT_FALSE(RegistryFixture::keyExists(Root::Machine, kUninstallKey));
  EXPECT_FALSE(RegistryFixture::keyExists(Root::User, kMenuClassKey));
  EXPECT_FALSE(RegistryFixture::keyExists(Root::User, kMenuHandlerKey));
  for (const std::string& file : kRootFiles) EXPECT_FALSE(fileExists(file)) << file;
  for (const char* program : {names::MainProgram, names::LauncherProgram, names::TransferProgram})
    EXPECT_TRUE(processIds(program).empty()) << program;
  EXPECT_EQ(RegistryFixture::readDword(scope, kExplorerPolicies, "NoRun"), DWORD(0));
  EXPECT_EQ(RegistryFixture::readDword(scope, kExplorerPolicies, "NoDesktop"), DWORD(0));
  EXPECT_EQ(RegistryFixture::readDword(Root::Machine, kStoragePolicies, "WriteProtect"), DWORD(0));
  EXPECT_FALSE(RegistryFixture::keyExists(Root::Machine, "Software\\TSR")) << "the settings were to go";
  EXPECT_FALSE(RegistryFixture::keyExists(Root::User, "Software\\TSR"));
}

// An administrator's silent uninstall while the program is not running: the
// launcher's clean-up stops at the first drive-root file that was never
// made, the uninstaller answers for the user and removes the rest, every
// restriction of the catalogue that was on is switched off under both roots,
// and the settings stay.
TEST_F(SetupTest, SilentUninstallWithoutTheProgramRemovesEverythingAndKeepsTheSettings) {
  ASSERT_EQ(runAndWait(programFolder() + "\\tessara7-setup.exe", "/S", 120000), DWORD(0));
  ASSERT_TRUE(RegistryFixture::writeString(Root::Machine, "Software\\TSR\\Settings", "LockIE", "1"));
  // Every restriction of the catalogue switched on, under both roots.
  const auto policies = cataloguePolicies();
  ASSERT_GE(policies.size(), 10u) << "the catalogue lists its policy values";
  for (Root root : {Root::Machine, Root::User})
    for (const auto& policy : policies)
      ASSERT_TRUE(RegistryFixture::writeDword(root, std::string(policy.key), std::string(policy.value),
                                              static_cast<DWORD>(policy.on)))
          << policy.value;
  // An administrator takes the guard away and ends the program it started;
  // the uninstaller's own removal then finds nothing to do.
  ASSERT_EQ(runAndWait(inFolder(kInstallFolder, names::GuardProgram), "/remove", 30000), DWORD(0));
  ASSERT_FALSE(guard::serviceState().has_value());
  endAllPrograms();
  // Lines of the data file that name files elsewhere are not deleted with
  // the uninstaller's rights.
  const std::string outside[] = {"C:\\Program Files\\tsr-outside.txt", "C:\\tsr-outside.txt"};
  for (const std::string& file : outside) writeFile(file, "not Tessara's");
  {
    Handle data(CreateFileW(widen(inFolder(kInstallFolder, names::UninstallerData)).c_str(), FILE_APPEND_DATA, 0,
                            nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_NE(data.get(), INVALID_HANDLE_VALUE);
    const std::string lines = "..\\tsr-outside.txt\r\nC:\\tsr-outside.txt\r\n..\r\n";
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(data.get(), lines.data(), static_cast<DWORD>(lines.size()), &written, nullptr));
  }
  ASSERT_TRUE(runAndWait(inFolder(kInstallFolder, names::Uninstaller), "/S", 30000).has_value());
  // The uninstaller runs on as its copy in the temporary folder; its
  // Add/Remove entry goes after the files, the start-up entry and the shortcuts.
  EXPECT_TRUE(waitUntil(60000, [] {
    return !fileExists(kInstallFolder) && !RegistryFixture::keyExists(Root::Machine, kUninstallKey);
  })) << "the uninstaller did not finish";
  EXPECT_FALSE(RegistryFixture::readString(Root::Machine, kRunKey, kRunValue).has_value());
  EXPECT_FALSE(fileExists(startMenuFolder()));
  EXPECT_FALSE(fileExists(kRootFiles[3])) << "the setup's text file stayed";
  for (const char* program : {names::MainProgram, names::LauncherProgram})
    EXPECT_TRUE(processIds(program).empty()) << program << " was left running";
  EXPECT_EQ(RegistryFixture::readString(Root::Machine, "Software\\TSR\\Settings", "LockIE"), "1");
  // Each one is switched off again, as Apply writes it off (the uninstaller
  // does so after it removed its Add/Remove entry).
  const auto allOff = [&] {
    for (Root root : {Root::Machine, Root::User})
      for (const auto& policy : policies)
        if (RegistryFixture::readDword(root, std::string(policy.key), std::string(policy.value)) !=
            static_cast<DWORD>(policy.off))
          return false;
    return true;
  };
  waitUntil(10000, allOff);
  for (Root root : {Root::Machine, Root::User})
    for (const auto& policy : policies)
      EXPECT_EQ(RegistryFixture::readDword(root, std::string(policy.key), std::string(policy.value)),
                static_cast<DWORD>(policy.off))
          << (root == Root::Machine ? "HKLM\\" : "HKCU\\") << policy.key << "\\" << policy.value;
  for (const std::string& file : outside) {
    EXPECT_TRUE(fileExists(file)) << file << " was deleted by a line of the data file";
    deleteFile(file);
  }
}

// Saves Software\TSR of one root as a hive file, as Export does.
bool saveStore(Root root, const std::string& file) {
  for (const wchar_t* privilege : {SE_BACKUP_NAME, SE_RESTORE_NAME}) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return false;
    const Handle owned(token);
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!LookupPrivilegeValueW(nullptr, privilege, &privileges.Privileges[0].Luid)) return false;
    AdjustTokenPrivileges(token, FALSE, &privileges, sizeof privileges, nullptr, nullptr);
  }
  HKEY key = nullptr;
  if (RegOpenKeyExW(root == Root::Machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, L"Software\\TSR", 0, KEY_READ,
                    &key) != ERROR_SUCCESS)
    return false;
  deleteFile(file);
  const LONG saved = RegSaveKeyW(key, widen(file).c_str(), nullptr);
  RegCloseKey(key);
  return saved == ERROR_SUCCESS;
}

// Deploying to many PCs: the configuration exported from one PC, given to a
// silent install on another, locks there what it locked on the first; a
// damaged file fails the setup and leaves the store as it was.
TEST_F(SetupTest, SilentInstallWithAConfigurationImportsItAndADamagedOneChangesNothing) {
  const std::string machineFile = inFolder(kConfigFolder, names::MachineHiveFile);
  const std::string userFile = inFolder(kConfigFolder, names::UserHiveFile);
  CreateDirectoryW(widen(kConfigFolder).c_str(), nullptr);
  constexpr const char* kTask = "Deployed Ledger";
  lock::storeLockRow(0, kTask);
  ASSERT_TRUE(RegistryFixture::writeString(Root::User, "Software\\TSR\\PWD", "title2", "user secret"));
  ASSERT_TRUE(saveStore(Root::Machine, machineFile));
  ASSERT_TRUE(saveStore(Root::User, userFile));
  // The destination has a store of its own, which the import replaces whole.
  RegistryFixture::clearStore();
  ASSERT_TRUE(RegistryFixture::writeString(Root::Machine, "Software\\TSR\\Stray", "Left", "over"));

  ASSERT_EQ(runAndWait(programFolder() + "\\tessara7-setup.exe", std::string("/S /CONFIG=") + kConfigFolder, 120000),
            DWORD(0));
  EXPECT_EQ(RegistryFixture::readString(Root::Machine, "Software\\TSR\\Windows0", "Window"), kTask);
  EXPECT_EQ(RegistryFixture::readString(Root::User, "Software\\TSR\\PWD", "title2"), "user secret");
  EXPECT_FALSE(RegistryFixture::keyExists(Root::Machine, "Software\\TSR\\Stray"));
  // The guard ran after the import: its record of the program is not lost.
  EXPECT_EQ(RegistryFixture::readString(Root::Machine, names::GuardKey, names::ProgramDigestValue).value_or("").size(),
            64u);
  const std::string log = readFile(inFolder(kInstallFolder, kSetupLog)).value_or("");
  EXPECT_NE(log.find(std::string("The configuration in ") + kConfigFolder + " was imported."), std::string::npos) << log;
  // The program the guard started locks the imported task's window.
  ASSERT_NE(waitForMainWindow(15000), nullptr);
  OwnedWindow locked = lock::makeWindow("SetupConfigWindow", std::string(kTask) + " - Accounts", true);
  ASSERT_TRUE(locked);
  ShowWindow(locked.get(), SW_RESTORE);
  SetForegroundWindow(locked.get());
  EXPECT_TRUE(waitUntil(lock::kSettleMs, [&] { return lock::isLockedAway(locked.get()); }))
      << "the imported task's window was not locked";
  locked.reset();

  // Again over the installation, with a damaged machine file: exit code 3,
  // the reason in the log, the store untouched and the program installed.
  removeInstallation();
  RegistryFixture::clearStore();
  ASSERT_TRUE(RegistryFixture::writeString(Root::Machine, "Software\\TSR\\Settings", "LockIE", "1"));
  writeFile(machineFile, "not a registry hive at all");
  ASSERT_TRUE(fileExists(machineFile));
  deleteFile(userFile);
  EXPECT_EQ(runAndWait(programFolder() + "\\tessara7-setup.exe", std::string("/S /CONFIG=") + kConfigFolder, 120000),
            DWORD(3));
  EXPECT_EQ(RegistryFixture::readString(Root::Machine, "Software\\TSR\\Settings", "LockIE"), "1");
  EXPECT_FALSE(RegistryFixture::keyExists(Root::Machine, "Software\\TSR\\Windows0"));
  EXPECT_FALSE(RegistryFixture::keyExists(Root::User, "Software\\TSR"));
  EXPECT_TRUE(fileExists(inFolder(kInstallFolder, names::MainProgram)));
  const std::string failed = readFile(inFolder(kInstallFolder, kSetupLog)).value_or("");
  EXPECT_NE(failed.find(std::string("was not imported: The Configuration could not be imported from ") + machineFile),
            std::string::npos)
      << failed;
  deleteFile(machineFile);
  RemoveDirectoryW(widen(kConfigFolder).c_str());
}

// The clean-up in a folder of its own: the launcher, stand-ins for the
// other files, and a window titled as the main program's so that the
// launcher starts nothing.
class CleanupTest : public E2eTest {
 protected:
  static constexpr const char* kFolder = "C:\\tsrclean";

  void SetUp() override {
    E2eTest::SetUp();
    CreateDirectoryW(widen(kFolder).c_str(), nullptr);
    ASSERT_TRUE(CopyFileW(widen(inFolder(programFolder(), names::LauncherProgram)).c_str(),
                          widen(inFolder(kFolder, names::LauncherProgram)).c_str(), FALSE));
  }
  void TearDown() override {
    endAllPrograms();
    for (const char* file : {names::MainProgram, names::TransferProgram, names::HelpFile, names::OrderForm,
                             names::LauncherProgram, names::UninstallerData})
      deleteFile(inFolder(kFolder, file));
    RemoveDirectoryW(widen(kFolder).c_str());
    for (const std::string& file : kRootFiles) deleteFile(file);
    E2eTest::TearDown();
  }
  void placeFiles(bool withOrderForm) {
    for (const char* file : {names::MainProgram, names::TransferProgram, names::HelpFile})
      writeFile(inFolder(kFolder, file), file);
    if (withOrderForm) writeFile(inFolder(kFolder, names::OrderForm), "order");
    CreateDirectoryW(win32kit::tessaraDataFolder().c_str(), nullptr);
    for (const std::string& file : kRootFiles) writeFile(file, file);
    SetFileAttributesW(widen(inFolder(kFolder, names::MainProgram)).c_str(), FILE_ATTRIBUTE_READONLY);
  }
};

TEST_F(CleanupTest, ReportsEveryPathOrStopsAtTheFirstMissingFile) {
  // The uninstaller's stand-in: a window of the program's title while it
  // holds its data file, so that the launcher starts no new copy.
  OwnedWindow standIn = lock::makeWindow("TessaraStandIn", names::MainTitle, false);
  placeFiles(true);
  writeFile(inFolder(kFolder, names::UninstallerData), "data");
  const win32kit::UniqueFileHandle heldData(CreateFileW(widen(inFolder(kFolder, names::UninstallerData)).c_str(),
                                                        GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(heldData);
  Program launcher = Program::atPath(inFolder(kFolder, names::LauncherProgram));
  HWND window = waitForWindow(names::LauncherTitle, 10000);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(SendMessageTimeoutW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(widen(names::UninstallTitle).c_str()),
                                  SMTO_NORMAL, 5000, nullptr));
  HWND report = waitForMessageBox(names::CleanupReportTitle, 5000);
  ASSERT_NE(report, nullptr);
  EXPECT_EQ(dialogText(report), expectedReport(kFolder));
  ASSERT_TRUE(clickButton(report, IDOK));
  EXPECT_TRUE(launcher.waitExit(5000).has_value());
  for (const char* file : {names::MainProgram, names::TransferProgram, names::HelpFile, names::OrderForm})
    EXPECT_FALSE(fileExists(inFolder(kFolder, file))) << file;
  for (const std::string& file : kRootFiles) EXPECT_FALSE(fileExists(file)) << file;

  // Without the order form: everything before it goes, the error replaces
  // the report, and the window stays with its timers stopped.
  placeFiles(false);
  Program second = Program::atPath(inFolder(kFolder, names::LauncherProgram));
  window = waitForWindow(names::LauncherTitle, 10000);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(SendMessageTimeoutW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(widen(names::UninstallTitle).c_str()),
                                  SMTO_NORMAL, 5000, nullptr));
  HWND error = waitForMessageBox(names::LauncherProgramTitle, 5000);
  ASSERT_NE(error, nullptr) << "no error message";
  EXPECT_FALSE(dialogText(error).empty());
  EXPECT_EQ(countTopLevelWindows(names::CleanupReportTitle), 0);
  ASSERT_TRUE(clickButton(error, IDOK));
  EXPECT_TRUE(holdsFor(3000, [&] { return IsWindow(window) && second.running(); })) << "the launcher's window went";
  EXPECT_FALSE(fileExists(inFolder(kFolder, names::MainProgram)));
  for (const std::string& file : kRootFiles) EXPECT_FALSE(fileExists(file)) << file;
}

}  // namespace
}  // namespace e2e
