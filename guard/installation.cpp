#include "guard/installation.h"

#include <aclapi.h>
#include <sddl.h>

#include <array>
#include <cstdint>
#include <vector>

#include "platform/crypto.h"
#include "shared/names.h"
#include "shared/win32/data_folder.h"
#include "shared/win32/handles.h"
#include "shared/win32/text.h"

namespace guard {
namespace {

struct Security {
  Security() {
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(win32kit::AdministratorsWriteSecurity, SDDL_REVISION_1,
                                                              &descriptor, nullptr))
      descriptor = nullptr;
    freed.reset(descriptor);
  }
  // Sets owner and rights on an existing file or folder; the folder's
  // inheritable entries reach what it holds.
  DWORD applyTo(const std::wstring& path) const {
    if (descriptor == nullptr) return ERROR_INVALID_SECURITY_DESCR;
    PSID owner = nullptr;
    PACL dacl = nullptr;
    BOOL present = FALSE, defaulted = FALSE;
    GetSecurityDescriptorOwner(descriptor, &owner, &defaulted);
    GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted);
    return SetNamedSecurityInfoW(const_cast<wchar_t*>(path.c_str()), SE_FILE_OBJECT,
                                 OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION |
                                     PROTECTED_DACL_SECURITY_INFORMATION,
                                 owner, nullptr, dacl, nullptr);
  }
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  win32kit::UniqueLocal freed;
};

}  // namespace

DWORD secureInstallFolder(const std::wstring& folder) { return Security().applyTo(folder); }

std::string fileSha256Hex(const std::wstring& path) {
  const win32kit::UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                                    FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return {};
  platform::crypto::Sha256 hash;
  std::vector<std::uint8_t> buffer(1 << 16);
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr)) return {};
    if (read == 0) break;
    if (!hash.update(std::span(buffer).first(read))) return {};
  }
  platform::crypto::Digest digest{};
  if (!hash.finish(digest)) return {};
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (const std::uint8_t byte : digest) {
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 15];
  }
  return hex;
}

DWORD placeSpareCopy(const std::wstring& program) {
  const std::wstring folder = win32kit::tessaraDataFolder();
  if (folder.empty()) return ERROR_PATH_NOT_FOUND;
  const Security security;
  SECURITY_ATTRIBUTES attributes{sizeof attributes, security.descriptor, FALSE};
  if (!CreateDirectoryW(folder.c_str(), &attributes)) {
    if (GetLastError() != ERROR_ALREADY_EXISTS) return GetLastError();
    // There before the setup: made by whoever could, so the rights are set anew.
    if (const DWORD secured = security.applyTo(folder)) return secured;
  }
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
