#include "platform/win32/win32_shell.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <commdlg.h>

#include <algorithm>

#include <memory>

#include "shared/win32/handles.h"
#include "shared/win32/message_box.h"
#include "shared/win32/module.h"
#include "shared/win32/process.h"
#include "shared/win32/running_copy.h"
#include "shared/win32/text.h"
#include "shared/win32/user_sid.h"

namespace platform::win32 {

using win32kit::toWide;
using win32kit::toUtf8;
using win32kit::UniqueLocal;

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

StartResult Win32Shell::startProgram(std::string_view path, int showCommand, std::string_view folder) {
  // The program runs on its own; nothing waits for it.
  const std::wstring widePath = toWide(path);
  const std::wstring wideFolder = toWide(folder);
  const win32kit::StartedProcess started = win32kit::startProcess(widePath, showCommand, wideFolder);
  if (started) return {true, {}};
  constexpr DWORD kElevationRequired = 740;  // ERROR_ELEVATION_REQUIRED, missing from the cross headers
  if (started.error != kElevationRequired) return {false, systemErrorText(started.error)};
  // The program's manifest asks for the user's highest rights: the shell
  // starts it through the elevation prompt.
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
  info.lpFile = widePath.c_str();
  info.lpDirectory = wideFolder.empty() ? nullptr : wideFolder.c_str();
  info.nShow = showCommand;
  if (!ShellExecuteExW(&info)) return {false, systemErrorText(GetLastError())};
  if (info.hProcess) CloseHandle(info.hProcess);
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
  return win32kit::messageBox(reinterpret_cast<HWND>(owner), text, title, flags);
}

std::string Win32Shell::programPath() { return toUtf8(win32kit::modulePath()); }

namespace {
// Owns the mutex now, or not.
bool own(HANDLE mutex) {
  if (!mutex) return false;
  const DWORD wait = WaitForSingleObject(mutex, 0);
  return wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
}
}  // namespace

bool Win32Shell::claimSingleInstance(std::string_view name) {
  if (runningCopy_) return true;
  // "Local\": the user's session. Every copy opens the same mutex; the one
  // that owns it runs. A copy that ended without releasing it leaves it
  // abandoned, which the next copy may claim.
  win32kit::UniqueKernelHandle mutex(CreateMutexW(nullptr, FALSE, (L"Local\\" + toWide(name)).c_str()));
  // Any program can create or hold that name first. Taken, it means another
  // copy runs only if a copy of this same program file in this session says
  // so; a copy that just started may take a moment to answer, and a copy
  // that is closing lets the name go.
  const ULONGLONG deadline = GetTickCount64() + 3000;
  for (;;) {
    if (own(mutex.get())) {
      instance_ = std::move(mutex);
      break;
    }
    if (win32kit::findRunningCopy({win32kit::modulePath(), false, true})) return false;
    if (GetTickCount64() >= deadline) break;  // something else holds the name: run without it
    Sleep(100);
  }
  runningCopy_ = true;
  return true;
}

std::string Win32Shell::userSid() { return win32kit::currentUserSid(); }

void Win32Shell::releaseSingleInstance() {
  runningCopy_ = false;
  if (!instance_) return;
  ReleaseMutex(instance_.get());
  instance_.reset();
}

namespace {

struct ItemListFree {
  void operator()(ITEMIDLIST* list) const { CoTaskMemFree(list); }
};
using UniqueItemList = std::unique_ptr<ITEMIDLIST, ItemListFree>;

// COM for the dialog, for as long as it is open; the thread may have it already.
class ComScope {
 public:
  ComScope() : initialised_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ComScope() {
    if (initialised_) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  bool initialised_;
};

}  // namespace

std::string Win32Shell::browseForFileOrFolder(WindowHandle parent, std::string_view title) {
  const ComScope com;
  const std::wstring wideTitle = toWide(title);
  BROWSEINFOW info{};
  info.hwndOwner = reinterpret_cast<HWND>(parent);
  info.lpszTitle = wideTitle.c_str();
  info.ulFlags = BIF_BROWSEINCLUDEFILES;
  const UniqueItemList chosen(SHBrowseForFolderW(&info));
  if (!chosen) return {};
  // Longer than MAX_PATH is fine: the Ex form takes the buffer's size.
  std::wstring path(1024, L'\0');
  if (!SHGetPathFromIDListEx(chosen.get(), path.data(), static_cast<DWORD>(path.size()), GPFIDL_DEFAULT)) return {};
  path.resize(wcsnlen(path.c_str(), path.size()));
  return toUtf8(path);
}

std::string Win32Shell::saveFileName(WindowHandle parent, std::string_view title, std::string_view suggested,
                                     std::string_view filterName, std::string_view pattern) {
  const std::wstring wideTitle = toWide(title);
  // Name, NUL, pattern, NUL, NUL.
  std::wstring filter = toWide(filterName);
  filter += L'\0';
  filter += toWide(pattern);
  filter += L'\0';
  std::wstring path = toWide(suggested);
  path.resize(std::max<std::size_t>(path.size() + 1, 1024), L'\0');
  std::wstring extension = toWide(pattern);
  if (const auto dot = extension.find(L'.'); dot != std::wstring::npos) extension = extension.substr(dot + 1);
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = reinterpret_cast<HWND>(parent);
  dialog.lpstrFilter = filter.c_str();
  dialog.lpstrFile = path.data();
  dialog.nMaxFile = static_cast<DWORD>(path.size());
  dialog.lpstrTitle = wideTitle.c_str();
  dialog.lpstrDefExt = extension.c_str();
  dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
  if (!GetSaveFileNameW(&dialog)) return {};
  path.resize(wcsnlen(path.c_str(), path.size()));
  return toUtf8(path);
}

}  // namespace platform::win32
