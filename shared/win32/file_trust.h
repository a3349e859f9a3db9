#pragma once
// Whether only administrators can have changed a file: a program with
// administrator rights that acts on what a file says (a transfer file, the
// uninstaller's list) must not act on one another user could have edited.
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <cstddef>
#include <string>
#include <vector>

#include "shared/win32/handles.h"

namespace win32kit {

// The descriptor such files are written with: owned by Administrators,
// Administrators and SYSTEM full, nobody else, nothing inherited.
inline constexpr const wchar_t* AdministratorsOnlySecurity = L"O:BAG:SYD:PAI(A;;FA;;;BA)(A;;FA;;;SY)";

// Gives an existing file or folder the owner and the protected DACL of an
// SDDL text (a folder's inheritable entries reach what it holds).
inline DWORD setFileSecurity(const std::wstring& path, const wchar_t* sddl) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor, nullptr))
    return GetLastError();
  const UniqueLocal freed(descriptor);
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

enum class FileTrust { OnlyAdministrators, OthersMayChange, Unreadable };

struct TrustVerdict {
  FileTrust trust = FileTrust::Unreadable;
  DWORD error = ERROR_SUCCESS;  // why the security could not be read
};

namespace file_trust_detail {

inline bool isWellKnown(PSID sid, WELL_KNOWN_SID_TYPE type) { return IsWellKnownSid(sid, type) != FALSE; }

// The user this process runs for, when the process is an administrator: the
// file it wrote itself (or one Windows gave its user as owner) is trusted.
inline std::vector<std::byte> administratorUserSid() {
  std::byte adminsBuffer[SECURITY_MAX_SID_SIZE];
  DWORD adminsSize = sizeof adminsBuffer;
  BOOL isAdmin = FALSE;
  if (!CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, adminsBuffer, &adminsSize) ||
      !CheckTokenMembership(nullptr, adminsBuffer, &isAdmin) || !isAdmin)
    return {};
  HANDLE raw = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return {};
  const UniqueKernelHandle token(raw);
  DWORD size = 0;
  GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
  std::vector<std::byte> user(size);
  if (size == 0 || !GetTokenInformation(token.get(), TokenUser, user.data(), size, &size)) return {};
  const PSID sid = reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid;
  std::vector<std::byte> copy(GetLengthSid(sid));
  CopySid(static_cast<DWORD>(copy.size()), copy.data(), sid);
  return copy;
}

}  // namespace file_trust_detail

// Trusted: owned by Administrators, SYSTEM or this administrator, and no
// allow entry gives anyone else a right to change the content, the
// security or the name. No DACL at all lets everyone change it.
inline bool onlyAdministratorsMayChange(PSID owner, PACL dacl, PSID trustedUser) {
  const auto trusted = [&](PSID sid) {
    return file_trust_detail::isWellKnown(sid, WinBuiltinAdministratorsSid) ||
           file_trust_detail::isWellKnown(sid, WinLocalSystemSid) ||
           (trustedUser != nullptr && EqualSid(sid, trustedUser));
  };
  if (owner == nullptr || !trusted(owner) || dacl == nullptr) return false;
  constexpr ACCESS_MASK kChanges = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | DELETE | WRITE_DAC |
                                   WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL | MAXIMUM_ALLOWED;
  for (DWORD index = 0; index < dacl->AceCount; ++index) {
    void* raw = nullptr;
    if (!GetAce(dacl, index, &raw)) return false;
    const auto* header = static_cast<const ACE_HEADER*>(raw);
    if (header->AceFlags & INHERIT_ONLY_ACE) continue;
    switch (header->AceType) {
      case ACCESS_DENIED_ACE_TYPE:
      case ACCESS_DENIED_CALLBACK_ACE_TYPE:
      case SYSTEM_AUDIT_ACE_TYPE:
      case SYSTEM_MANDATORY_LABEL_ACE_TYPE:
        continue;
      case ACCESS_ALLOWED_ACE_TYPE:
      case ACCESS_ALLOWED_CALLBACK_ACE_TYPE: {
        const auto* ace = static_cast<const ACCESS_ALLOWED_ACE*>(raw);
        const PSID sid = const_cast<DWORD*>(&ace->SidStart);
        if ((ace->Mask & kChanges) != 0 && !trusted(sid)) return false;
        continue;
      }
      default:
        return false;  // an entry of a kind not read here might allow anything
    }
  }
  return true;
}

inline TrustVerdict fileTrust(const wchar_t* path) {
  PSID owner = nullptr;
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  // Opened to read the security alone and sharing everything, so that a
  // holder of the file (the uninstaller holds its data file) is no obstacle.
  const UniqueFileHandle file(CreateFileW(path, READ_CONTROL, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file) return {FileTrust::Unreadable, GetLastError()};
  const DWORD read = GetSecurityInfo(file.get(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                     &owner, nullptr, &dacl, nullptr, &descriptor);
  if (read != ERROR_SUCCESS) return {FileTrust::Unreadable, read};
  const UniqueLocal freed(descriptor);
  std::vector<std::byte> self = file_trust_detail::administratorUserSid();
  const bool only = onlyAdministratorsMayChange(owner, dacl, self.empty() ? nullptr : self.data());
  return {only ? FileTrust::OnlyAdministrators : FileTrust::OthersMayChange, ERROR_SUCCESS};
}

}  // namespace win32kit
