// Writes the setup's generated include: the names the programs agree on
// (shared/names.h) as NSIS defines, and the list of Windows policy values to
// switch off at uninstall as an NSIS macro, made from the program's own
// restriction catalogue, so that the program and its uninstaller share one
// table. Built and run on the build machine.
#include <cstdio>
#include <string>

#include "shared/names.h"
#include "tessara7/restrictions/catalogue.h"

namespace {

void define(const char* name, const std::string& value) { std::printf("!define %s \"%s\"\n", name, value.c_str()); }

}  // namespace

// Writes to the file named by the first argument, or to the standard output.
int main(int argc, char** argv) {
  if (argc > 1 && !std::freopen(argv[1], "w", stdout)) return 1;
  std::printf("; Made at build time from shared/names.h and the restriction catalogue. Do not edit.\n");
  define("MAIN_TITLE", names::MainTitle);
  define("LAUNCHER_TITLE", names::LauncherTitle);
  define("LAUNCHER_CLASS", names::LauncherClass);
  define("UNINSTALL_TITLE", names::UninstallTitle);
  define("REPORT_TITLE", names::CleanupReportTitle);
  define("LAUNCHER_PROGRAM_TITLE", names::LauncherProgramTitle);
  define("END_MESSAGE", names::EndForUninstallMessage);
  define("END_ACCEPTED", std::to_string(names::EndForUninstallAccepted));
  define("MAIN_PROGRAM", names::MainProgram);
  define("TRANSFER_PROGRAM", names::TransferProgram);
  define("LAUNCHER_PROGRAM", names::LauncherProgram);
  define("MENU_DLL", names::ExplorerMenuDll);
  define("GUARD_PROGRAM", names::GuardProgram);
  define("GUARD_SERVICE", names::GuardService);
  define("UNINSTALLER", names::Uninstaller);
  define("UNINSTALLER_DATA", names::UninstallerData);
  define("HELP_FILE", names::HelpFile);
  define("ORDER_FORM", names::OrderForm);
  define("SPARE_COPY", names::SpareCopy);
  define("DATA_FOLDER", names::DataFolder);
  define("ROOT_TEXT_FILE", names::RootTextFile);
  define("MENU_CLSID", names::ExplorerMenuClsid);
  define("MENU_HANDLER_NAME", names::ExplorerMenuHandlerName);

  // Every value that holds what the program writes when its switch is on
  // gets what it writes when off, as Apply does for an unticked item.
  std::printf("!macro SwitchOffPolicies ROOT\n");
  for (const auto& policy : tessara::catalogue::policyValues()) {
    const std::string key(policy.key);
    const std::string value(policy.value);
    std::printf("  ReadRegDWORD $0 ${ROOT} \"%s\" \"%s\"\n", key.c_str(), value.c_str());
    std::printf("  ${If} $0 == \"%d\"\n", static_cast<int>(policy.on));
    std::printf("    WriteRegDWORD ${ROOT} \"%s\" \"%s\" %d\n", key.c_str(), value.c_str(),
                static_cast<int>(policy.off));
    std::printf("  ${EndIf}\n");
  }
  std::printf("!macroend\n");
  return 0;
}
