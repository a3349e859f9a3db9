#include "guard/installation.h"

#include <aclapi.h>
#include <sddl.h>

#include <cstddef>
#include <optional>
#include <span>

#include "platform/crypto.h"
#include "shared/names.h"
#include "shared/win32/data_folder.h"
#include "shared/win32/file_trust.h"
#include "shared/win32/handles.h"
#include "shared/win32/text.h"

namespace guard {

DWORD secureInstallFolder(const std::wstring& folder) {
  return win32kit::setFileSecurity(folder, win32kit::AdministratorsWriteSecurity);
}

std::string fileSha256Hex(const std::wstring& path) {
  const win32kit::UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                                    FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return {};
  return platform::crypto::sha256Hex([&](std::span<std::uint8_t> buffer) -> std::optional<std::size_t> {
    DWORD read = 0;
    if (!ReadFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr)) return std::nullopt;
    return read;
  });
}

DWORD makeDataFolder() {
  const std::wstring folder = win32kit::tessaraDataFolder();
  if (folder.empty()) return ERROR_PATH_NOT_FOUND;
  // Made with its rights, so that no user can put anything in it first.
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(win32kit::AdministratorsWriteSecurity, SDDL_REVISION_1,
                                                            &descriptor, nullptr))
    return GetLastError();
  const win32kit::UniqueLocal freed(descriptor);
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
  if (!CreateDirectoryW(folder.c_str(), &attributes)) {
    if (GetLastError() != ERROR_ALREADY_EXISTS) return GetLastError();
    // There before the setup: made by whoever could, so the rights are set anew.
    return win32kit::setFileSecurity(folder, win32kit::AdministratorsWriteSecurity);
  }
  return ERROR_SUCCESS;
}

DWORD placeSpareCopy(const std::wstring& program) {
  if (const DWORD made = makeDataFolder()) return made;
  const std::wstring spare = win32kit::spareCopyPath();
  SetFileAttributesW(spare.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!CopyFileW(program.c_str(), spare.c_str(), FALSE)) return GetLastError();
  SetFileAttributesW(spare.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  // The digest of the file installed, not of the copy: a copy made wrong is refused later.
  const std::string digest = fileSha256Hex(program);
  if (digest.empty()) return ERROR_READ_FAULT;
  const std::wstring key = win32kit::toWide(names::GuardKey), value = win32kit::toWide(names::ProgramDigestValue);
  const std::wstring text = win32kit::toWide(digest);
  return static_cast<DWORD>(RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), value.c_str(), REG_SZ, text.c_str(),
                                            static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))));
}

}  // namespace guard
