// hivexfer: the configuration transfer tool. Its window title is its
// command: the main program retitles it "[Exporting]" or "[Importing]", and
// the first tick of the timer, half a second after the start, carries the
// command out and ends the tool. A title nobody changed means there is
// nothing to do. The setup runs it as `hivexfer.exe /import "<folder>"`
// instead: the import from that folder, no window, the closing message on
// the standard output and exit code 0 only when the import succeeded.
#include <windows.h>
#include <shellapi.h>

#include <optional>
#include <string>

#include "hivexfer/demonstration.h"
#include "hivexfer/transfer.h"
#include "shared/names.h"
#include "shared/win32/handles.h"
#include "shared/win32/message_box.h"
#include "shared/win32/text.h"
#include "shared/win32/window.h"

namespace {

constexpr UINT_PTR kCommandTimer = 1;
constexpr const char* kMessageTitle = "Registry Operation Complete";

enum ButtonId : int {
  cmdExportKey = 101, cmdImportKey, cmdExit, cmdWriteKey, cmdChangeKeyValue, cmdReadKey, cmdEnumKey,
  cmdEnumValues, cmdDeleteKeyValue, cmdDeleteKey,
};

struct ButtonSpec {
  ButtonId id;
  const wchar_t* caption;
  bool enabled;  // the demonstration buttons are off
  int column, row;
};

constexpr ButtonSpec kButtons[] = {
    {cmdExportKey, L"Export Reg Key", true, 0, 0},
    {cmdImportKey, L"Import Reg Key", true, 0, 1},
    {cmdExit, L"Exit", true, 0, 6},
    {cmdWriteKey, L"Write Reg Key", false, 1, 0},
    {cmdChangeKeyValue, L"Change Reg Key Value", false, 1, 1},
    {cmdReadKey, L"Read Reg Key", false, 1, 2},
    {cmdEnumKey, L"Enum Reg Keys", false, 1, 3},
    {cmdEnumValues, L"Enum Reg Key Values", false, 1, 4},
    {cmdDeleteKeyValue, L"Delete Reg Key Value", false, 1, 5},
    {cmdDeleteKey, L"Delete Reg Key", false, 1, 6},
};

constexpr int kMargin = 12, kButtonWidth = 170, kButtonHeight = 28, kGap = 6;
constexpr int kClientWidth = 2 * kButtonWidth + 3 * kMargin;
constexpr int kClientHeight = 7 * kButtonHeight + 6 * kGap + 2 * kMargin;

win32kit::UniqueFont g_font;

void show(HWND window, const std::string& text) {
  win32kit::messageBox(window, text, kMessageTitle, MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND);
}

void createButtons(HWND window) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
    g_font.reset(CreateFontIndirectW(&metrics.lfMessageFont));
  for (const ButtonSpec& spec : kButtons) {
    HWND button = CreateWindowExW(
        0, L"BUTTON", spec.caption, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON | (spec.enabled ? 0 : WS_DISABLED),
        kMargin + spec.column * (kButtonWidth + kMargin), kMargin + spec.row * (kButtonHeight + kGap), kButtonWidth,
        kButtonHeight, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id)), GetModuleHandleW(nullptr),
        nullptr);
    if (button && g_font) SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(g_font.get()), FALSE);
  }
}

// The timer's one tick: the command in the title, if any, then the end.
void onTick(HWND window) {
  // Stopped first: a tick while the transfer's message box is open must not start a second transfer.
  KillTimer(window, kCommandTimer);
  const std::string command = win32kit::windowText(window);
  if (command == names::TransferExportTitle) show(window, hivexfer::exportConfiguration());
  else if (command == names::TransferImportTitle) show(window, hivexfer::importConfiguration());
  DestroyWindow(window);
}

void onButton(HWND window, int id) {
  // A click posted by another program reaches a disabled button's action too.
  const HWND button = GetDlgItem(window, id);
  if (!button || !IsWindowEnabled(button)) return;
  // A button used before the first tick keeps the tool open until Exit.
  KillTimer(window, kCommandTimer);
  namespace demo = hivexfer::demonstration;
  switch (id) {
    case cmdExportKey: return show(window, hivexfer::exportConfiguration());
    case cmdImportKey: return show(window, hivexfer::importConfiguration());
    case cmdExit: DestroyWindow(window); return;
    case cmdWriteKey: return show(window, demo::writeValues());
    case cmdChangeKeyValue: return show(window, demo::changeValues());
    case cmdReadKey: return show(window, demo::readValues());
    case cmdEnumKey: return show(window, demo::enumKeys());
    case cmdEnumValues: return show(window, demo::enumValues());
    case cmdDeleteKeyValue: return show(window, demo::deleteValues());
    case cmdDeleteKey: return show(window, demo::deleteKeys());
    default: return;
  }
}

std::optional<LRESULT> onMessage(HWND window, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_CREATE:
      createButtons(window);
      // Run with the highest rights the user has, the tool must still take
      // its command from the main program, which may run with fewer.
      ChangeWindowMessageFilterEx(window, WM_SETTEXT, MSGFLT_ALLOW, nullptr);
      SetTimer(window, kCommandTimer, 500, nullptr);
      return 0;
    case WM_TIMER:
      if (wParam == kCommandTimer) onTick(window);
      return 0;
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED) onButton(window, LOWORD(wParam));
      return 0;
    default:
      return std::nullopt;
  }
}

enum ImportExit : int { importDone = 0, importFailed = 1, importUsage = 2 };

// The message for whoever runs the command (the setup reads it through a pipe).
void report(const std::string& line) {
  const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  if (out == nullptr || out == INVALID_HANDLE_VALUE) return;
  const std::string text = line + "\r\n";
  DWORD written = 0;
  WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

// The command line's import, or nothing when it holds no "/import".
std::optional<int> runCommandLine() {
  int count = 0;
  win32kit::UniqueLocal arguments(reinterpret_cast<HLOCAL>(CommandLineToArgvW(GetCommandLineW(), &count)));
  if (!arguments || count < 2) return std::nullopt;
  const auto* argv = static_cast<wchar_t**>(arguments.get());
  if (_wcsicmp(argv[1], L"/import") != 0) return std::nullopt;
  if (count != 3 || argv[2][0] == L'\0') {
    report("Usage: hivexfer.exe /import \"<folder with tsrlocusr.dat and tsrcurusr.dat>\"");
    return importUsage;
  }
  const hivexfer::ImportOutcome outcome = hivexfer::importConfigurationFrom(win32kit::toUtf8(argv[2]));
  report(outcome.message);
  return outcome.imported ? importDone : importFailed;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
  if (const std::optional<int> code = runCommandLine()) return *code;
  win32kit::MainWindow tool;
  tool.className = win32kit::toWide(names::TransferClass);
  tool.handler = onMessage;
  tool.title = names::TransferIdleTitle;
  tool.style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  tool.width = kClientWidth;
  tool.height = kClientHeight;
  tool.clientSize = true;
  tool.centred = true;
  return win32kit::runMainWindow(tool, showCommand);
}
