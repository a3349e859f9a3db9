#include "hivexfer/transfer.h"

#include <windows.h>

#include <string_view>

#include "hivexfer/registry_module.h"
#include "shared/names.h"
#include "shared/win32/file_trust.h"
#include "shared/win32/text.h"

namespace hivexfer {
namespace {

constexpr std::wstring_view kStoreKey = L"SOFTWARE\\TSR";

struct HiveFile {
  HKEY root;
  const char* name;
};
const HiveFile kFiles[] = {{HKEY_LOCAL_MACHINE, names::MachineHiveFile}, {HKEY_CURRENT_USER, names::UserHiveFile}};

// "\tsrlocusr.dat" as the system reads it: the root of the current drive.
std::wstring onCurrentDrive(const char* file) {
  const std::wstring relative = L"\\" + win32kit::toWide(file);
  wchar_t full[MAX_PATH];
  const DWORD length = GetFullPathNameW(relative.c_str(), MAX_PATH, full, nullptr);
  return length > 0 && length < MAX_PATH ? std::wstring(full, length) : relative;
}

std::wstring inFolder(const std::string& folder, const char* file) {
  std::wstring path = win32kit::toWide(folder);
  if (path.empty() || (path.back() != L'\\' && path.back() != L'/')) path += L'\\';
  return path + win32kit::toWide(file);
}

std::string failure(const char* what, const std::wstring& path, Outcome outcome) {
  return std::string("The Configuration could not be ") + what + " " + win32kit::toUtf8(path) + ": " +
         systemErrorText(outcome.error);
}

}  // namespace

std::string exportConfiguration() {
  std::string failed;
  for (const HiveFile& file : kFiles) {
    const std::wstring path = onCurrentDrive(file.name);
    const Outcome saved = saveKey(file.root, kStoreKey, path);
    if (!saved && failed.empty()) failed = failure("saved as", path, saved);
  }
  if (!failed.empty()) return failed;
  return "The Configuration was saved to the root of your drive as: tsrlocusr.dat and tsrcurusr.dat. Copy these "
         "files to the root of the Destination computer's drive (usually C drive) and then use the Import button.";
}

namespace {

// Why a transfer file may not be imported, or empty: one that others could
// have changed might hand the store (and its password) to them. A file that
// cannot be read at all is left to the import, which reports it.
std::string untrusted(const std::wstring& path) {
  if (win32kit::fileTrust(path.c_str()).trust == win32kit::FileTrust::OthersMayChange)
    return "The Configuration could not be imported from " + win32kit::toUtf8(path) +
           ": users other than administrators may change this file. Give only Administrators and SYSTEM the right "
           "to change it, then import again.";
  return {};
}

}  // namespace

std::string importConfiguration() { return importConfigurationFrom("C:\\").message; }

ImportOutcome importConfigurationFrom(const std::string& folder) {
  // Both files are judged before either store is touched.
  for (const HiveFile& file : kFiles)
    if (std::string refused = untrusted(inFolder(folder, file.name)); !refused.empty()) return {false, refused};
  std::string failed;
  for (const HiveFile& file : kFiles) {
    const std::wstring path = inFolder(folder, file.name);
    const Outcome restored = restoreKey(file.root, kStoreKey, path);
    if (!restored && failed.empty()) failed = failure("imported from", path, restored);
  }
  if (!failed.empty()) return {false, failed};
  return {true, "Importing the Registry Key Complete"};
}

}  // namespace hivexfer
