#include "menu/cleanup.h"

#include <windows.h>

#include <vector>

#include "shared/names.h"
#include "shared/win32/data_folder.h"
#include "shared/win32/text.h"

namespace tsrrun {
namespace {

using win32kit::toUtf8;
using win32kit::toWide;

// The system's description of the last error, without its line break.
std::string lastErrorText() {
  const DWORD code = GetLastError();
  wchar_t* buffer = nullptr;
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text = length && buffer ? std::wstring(buffer, length) : L"Error " + std::to_wstring(code);
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
  return toUtf8(text);
}

std::wstring joined(const std::wstring& folder, const char* file) { return folder + L"\\" + toWide(file); }

}  // namespace

CleanupResult runCleanup(const std::wstring& folder) {
  CleanupResult result;
  const std::wstring drive = folder.substr(0, 2);
  const std::wstring program = joined(folder, names::MainProgram);
  const std::wstring spare = win32kit::spareCopyPath();
  const std::wstring userHive = joined(drive, names::UserHiveFile);
  const std::wstring machineHive = joined(drive, names::MachineHiveFile);
  const std::wstring rootText = joined(drive, names::RootTextFile);
  const std::wstring help = joined(folder, names::HelpFile);
  const std::wstring transfer = joined(folder, names::TransferProgram);
  const std::wstring order = joined(folder, names::OrderForm);

  // Clears read-only, hidden and system, which would keep the file.
  if (!SetFileAttributesW(program.c_str(), FILE_ATTRIBUTE_NORMAL)) {
    result.error = lastErrorText();
    return result;
  }
  for (const std::wstring* file : {&spare, &userHive, &machineHive, &rootText, &help, &transfer, &program, &order}) {
    if (!DeleteFileW(file->c_str())) {
      result.error = lastErrorText();
      return result;
    }
  }

  std::string report = "Uninstall completed! 7 files deleted:\r";
  for (const std::wstring* file : {&program, &transfer, &help, &order, &spare, &userHive, &machineHive, &rootText})
    report += toUtf8(*file) + "\r";
  report += "1 Startup Registry entry removed. \r";
  report += "Start Menu folder could not be deleted.\r";
  result.completed = true;
  result.report = std::move(report);
  return result;
}

}  // namespace tsrrun
