#include "platform/win32/win32_shell.h"

#include <windows.h>
#include <shellapi.h>

#include "platform/win32/handles.h"
#include "platform/win32/text.h"

namespace platform::win32 {

std::string systemErrorText(unsigned long code) {
  UniqueLocal buffer;
  // With FORMAT_MESSAGE_ALLOCATE_BUFFER the "buffer" argument receives a pointer.
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<LPWSTR>(buffer.receive()), 0, nullptr);
  if (length == 0 || !buffer) return "Error " + std::to_string(code);
  std::wstring_view text(static_cast<const wchar_t*>(buffer.get()), length);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' '))
    text.remove_suffix(1);
  return toUtf8(text);
}

StartResult Win32Shell::startProgram(std::string_view path, int showCommand) {
  const std::wstring application = toWide(path);
  // The command line is the quoted program path alone; CreateProcessW may
  // write into it, so it lives in a buffer of its own.
  std::wstring commandLine = L"\"" + application + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(showCommand);
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(application.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &info))
    return {false, systemErrorText(GetLastError())};
  // The program runs on its own; nothing waits for it.
  const UniqueKernelHandle process(info.hProcess);
  const UniqueKernelHandle thread(info.hThread);
  return {true, {}};
}

bool Win32Shell::shellExecute(WindowHandle parent, std::string_view verb, std::string_view file,
                              int showCommand) {
  const std::wstring wideVerb = toWide(verb);
  const std::wstring wideFile = toWide(file);
  const HINSTANCE result =
      ShellExecuteW(reinterpret_cast<HWND>(parent), verb.empty() ? nullptr : wideVerb.c_str(),
                    wideFile.c_str(), nullptr, nullptr, showCommand);
  // Values above 32 mean success.
  return reinterpret_cast<INT_PTR>(result) > 32;
}

int Win32Shell::messageBox(WindowHandle owner, std::string_view text, std::string_view title,
                           std::uint32_t flags) {
  return MessageBoxW(reinterpret_cast<HWND>(owner), toWide(text).c_str(), toWide(title).c_str(), flags);
}

std::string Win32Shell::programPath() {
  // Long paths exceed MAX_PATH; the buffer grows until the name fits.
  std::wstring buffer(MAX_PATH, L'\0');
  while (buffer.size() <= 32768) {
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) {
      buffer.resize(length);
      return toUtf8(buffer);
    }
    buffer.resize(buffer.size() * 2);
  }
  return {};
}

}  // namespace platform::win32
