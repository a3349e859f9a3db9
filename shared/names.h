#pragma once
// The names the programs and their tests agree on: window titles that carry
// commands between processes, window classes, and the files of the program
// folder. One place, so that a title cannot drift apart between the program
// that shows it and the one that looks for it.

namespace names {

// --- Window titles -------------------------------------------------------------

// tessara7's configuration window once loaded; the single-instance test and
// the launcher look for it.
inline constexpr const char* MainTitle = "Tessara 7";
// The configuration window's title while it loads (it must not find itself).
inline constexpr const char* MainLoadingTitle = "[TSR]";
// The launcher's window; the advanced watcher answers it with the
// configuration prompt.
inline constexpr const char* LauncherTitle = "Password Required [TSR]";
// The launcher's window retitled by the uninstaller: run the clean-up.
inline constexpr const char* UninstallTitle = "Uninstall [TSR]";
// The transfer tool's window: idle, and the two commands it is retitled with.
inline constexpr const char* TransferIdleTitle = "Registry Controller [TSR]";
inline constexpr const char* TransferExportTitle = "Registry Controller [Exporting]";
inline constexpr const char* TransferImportTitle = "Registry Controller [Importing]";

// --- Single instance -------------------------------------------------------------

// The named mutex (in the user's session) that the running tessara7 owns; a
// second copy that cannot own it ends at once.
inline constexpr const char* MainInstanceMutex = "Tessara7.Running";
// Any program can take that name first, so a copy that finds it taken asks
// the configuration window of a copy running the same program file with this
// registered message; only the running copy answers MainRunningAnswer (and
// tells the guard service again that it is the copy to watch).
inline constexpr const char* MainRunningMessage = "Tessara7.AreYouRunning";
inline constexpr long MainRunningAnswer = 0x7E5A11;

// --- The guard service -----------------------------------------------------------

// The service that starts tessara7 in every session and brings it back when
// it ends (guard/). Its program lies beside the others.
inline constexpr const char* GuardProgram = "tsrguard.exe";
inline constexpr const char* GuardService = "TessaraGuard";
inline constexpr const char* GuardDisplayName = "Tessara 7 Guard";
// The service's channel (shared/guard_channel.h).
inline constexpr const char* GuardPipe = "\\\\.\\pipe\\Tessara7.Guard";
// The source of the history's events in the Application event log.
inline constexpr const char* HistoryEventSource = "Tessara";

// --- Diagnostics ---------------------------------------------------------------

// Switches for tests and measurements, read under HKEY_LOCAL_MACHINE only
// (where only administrators write), never from the environment, which a
// user sets for their own programs: "StateQuery" = "1" lets the forms answer
// state queries, "NoWinEvent" = "1" leaves the WinEvent hooks out.
inline constexpr const char* DiagnosticsKey = "Software\\TSR Diagnostics";

// --- Window classes ------------------------------------------------------------

// A form's window class is this prefix and the form's name.
inline constexpr const char* FormClassPrefix = "Tessara.";
inline constexpr const char* ConfigClass = "Tessara.frmConfig";
inline constexpr const char* PromptClass = "Tessara.frmPassword";
inline constexpr const char* NoticeClass = "Tessara.frmError";
inline constexpr const char* BlankClass = "Tessara.frmBlank";
inline constexpr const char* PickerClass = "Tessara.frmLock";
inline constexpr const char* IgnoreListClass = "Tessara.frmignore";
inline constexpr const char* InputBoxClass = "Tessara.frmInput";
inline constexpr const char* LauncherClass = "Tessara.tsrrun";
inline constexpr const char* TransferClass = "Tessara.hivexfer";

// --- Files of the program folder -----------------------------------------------

inline constexpr const char* MainProgram = "tessara7.exe";
inline constexpr const char* TransferProgram = "hivexfer.exe";
inline constexpr const char* LauncherProgram = "tsrrun.exe";
inline constexpr const char* Uninstaller = "unins000.exe";
inline constexpr const char* UninstallerData = "unins000.dat";
// The transfer tool's two hive files: the machine's and the user's copy of the store.
inline constexpr const char* MachineHiveFile = "tsrlocusr.dat";
inline constexpr const char* UserHiveFile = "tsrcurusr.dat";
// The help file and the order form the setup places beside the programs.
inline constexpr const char* HelpFile = "tessara.chm";
inline constexpr const char* OrderForm = "tsrorder.doc";
// The Explorer menu DLL, beside the programs.
inline constexpr const char* ExplorerMenuDll = "tsrmenu.dll";

// --- Files of the drive root ---------------------------------------------------

// The file protector's hidden spare copy of the main program. It lives in
// the machine's data folder (ProgramData\Tessara), which only administrators
// and SYSTEM may change; earlier versions kept it in the drive root.
inline constexpr const char* SpareCopy = "tsr7spare.exe";
inline constexpr const char* DataFolder = "Tessara";
// The key only administrators write where the setup records the SHA-256 of
// the program file it installed (hex): a spare is trusted only if it matches.
inline constexpr const char* GuardKey = "Software\\TSR\\Guard";
inline constexpr const char* ProgramDigestValue = "ProgramSha256";
// A text file of the system that the launcher's clean-up deletes.
inline constexpr const char* RootTextFile = "tessara7.txt";

// --- The Explorer menu ---------------------------------------------------------

// The DLL's class, registered per user under Software\Classes.
inline constexpr const char* ExplorerMenuClsid = "{70450D24-03A3-4ACC-ABB8-1BDE81DF7A53}";
// The name of its ContextMenuHandlers entries ("*", "Directory", "Drive").
inline constexpr const char* ExplorerMenuHandlerName = "Tessara7";
// The entries the program's menu object holds, written whole as Entry0,
// Entry1, ... under this key of HKEY_CURRENT_USER; the DLL shows them.
inline constexpr const char* ExplorerMenuEntriesKey =
    "Software\\Classes\\CLSID\\{70450D24-03A3-4ACC-ABB8-1BDE81DF7A53}\\Entries";
inline constexpr const char* ExplorerMenuEntryName = "Entry";  // + position
// Set on the "Tessara 7" window while its menu object is switched on: the DLL
// shows its entries only while that window exists and carries it.
inline constexpr const char* ExplorerMenuProperty = "Tessara.ExplorerMenu";
// WM_COPYDATA's dwData for a click (shared/explorer_menu_message.h): "TS7M".
inline constexpr unsigned long ExplorerMenuCopyData = 0x4D375354;


// --- Setup and uninstall -------------------------------------------------------

// The registered window message the uninstaller sends to the "Tessara 7"
// window: end now, without starting a new copy. The program answers
// EndForUninstallAccepted only once it has handed its data file over and
// another process holds that file open.
inline constexpr const char* EndForUninstallMessage = "Tessara7.EndForUninstall";
inline constexpr long EndForUninstallAccepted = 0x7E55A7;
// The launcher's program title, which its error messages carry.
inline constexpr const char* LauncherProgramTitle = "tsrrun";
// The launcher's report window title after the clean-up.
inline constexpr const char* CleanupReportTitle = "uninst000";
}  // namespace names
