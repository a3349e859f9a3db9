#pragma once
// What the tests of the real setup share: running a program with arguments,
// and the windows of the setup, its uninstaller and the launcher's messages.
#include <windows.h>

#include <optional>
#include <string>

namespace e2e {

inline constexpr const char* kDialogClass = "#32770";
inline constexpr const char* kUninstallerTitle = "Tessara 7 Uninstall";

bool fileExists(const std::string& path);
// Runs a program with arguments and waits for it; its exit code, or nothing.
std::optional<DWORD> runAndWait(const std::string& path, const std::string& arguments, DWORD timeoutMs);
// The text of a message box: its longest static text, asked of the control
// itself (WM_GETTEXT), so that it reads what the box shows.
std::string dialogText(HWND dialog);
// A message box of this title once its text is in place.
HWND waitForMessageBox(const std::string& title, DWORD timeoutMs);
// The uninstaller's window, titled with the page it shows ("Tessara 7 Uninstall: ...").
HWND uninstallerPage();

}  // namespace e2e
