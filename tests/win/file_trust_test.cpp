// Files and keys only administrators may change: the trust test for a
// transfer file, and the copy of a transfer file's keys that never takes
// their security along.
#include <gtest/gtest.h>
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <string>

#include "hivexfer/registry_module.h"
#include "shared/win32/file_trust.h"
#include "shared/win32/handles.h"

namespace {

struct Descriptor {
  explicit Descriptor(const wchar_t* sddl) {
    ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &raw, nullptr);
    freed.reset(raw);
  }
  bool onlyAdministrators(PSID trustedUser = nullptr) const {
    PSID owner = nullptr;
    PACL dacl = nullptr;
    BOOL defaulted = FALSE, present = FALSE;
    GetSecurityDescriptorOwner(raw, &owner, &defaulted);
    GetSecurityDescriptorDacl(raw, &present, &dacl, &defaulted);
    return win32kit::onlyAdministratorsMayChange(owner, present ? dacl : nullptr, trustedUser);
  }
  PSECURITY_DESCRIPTOR raw = nullptr;
  win32kit::UniqueLocal freed;
};

TEST(FileTrust, OnlyAdministratorsAndSystemMayChangeATrustedFile) {
  EXPECT_TRUE(Descriptor(win32kit::AdministratorsOnlySecurity).onlyAdministrators());
  // Users may read and run; an entry that only passes rights on changes nothing here.
  EXPECT_TRUE(Descriptor(L"O:SYD:(A;;FA;;;BA)(A;;FRFX;;;BU)(A;OIIO;FA;;;WD)(D;;FA;;;AU)").onlyAdministrators());

  EXPECT_FALSE(Descriptor(L"O:BAD:(A;;FA;;;BA)(A;;0x1301bf;;;AU)").onlyAdministrators()) << "the drive root's rights";
  EXPECT_FALSE(Descriptor(L"O:BAD:(A;;FA;;;BA)(A;;FW;;;BU)").onlyAdministrators());
  EXPECT_FALSE(Descriptor(L"O:BAD:(A;;FA;;;BA)(A;;WD;;;WD)").onlyAdministrators()) << "may rewrite the rights";
  EXPECT_FALSE(Descriptor(L"O:BAD:(A;;FA;;;BA)(A;;SD;;;BU)").onlyAdministrators()) << "may delete and replace it";
  EXPECT_FALSE(Descriptor(L"O:BUD:(A;;FA;;;BA)").onlyAdministrators()) << "an owner sets any rights";
  EXPECT_FALSE(Descriptor(L"O:BA").onlyAdministrators()) << "no DACL lets everyone in";

  // The administrator running the import trusts the files it owns itself.
  Descriptor userOwned(L"O:BUD:(A;;FA;;;BU)");
  PSID users = nullptr;
  BOOL defaulted = FALSE;
  GetSecurityDescriptorOwner(userOwned.raw, &users, &defaulted);
  EXPECT_TRUE(userOwned.onlyAdministrators(users));
}

TEST(FileTrust, AFileWrittenForAdministratorsIsTrusted) {
  const wchar_t* path = L"C:\\tsr-trust-test.dat";
  DeleteFileW(path);
  EXPECT_EQ(win32kit::fileTrust(path).trust, win32kit::FileTrust::Unreadable);
  Descriptor admins(win32kit::AdministratorsOnlySecurity);
  SECURITY_ATTRIBUTES security{sizeof security, admins.raw, FALSE};
  HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, &security, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  EXPECT_EQ(win32kit::fileTrust(path).trust, win32kit::FileTrust::OnlyAdministrators);
  DeleteFileW(path);
}

std::wstring keySecurity(HKEY key) {
  std::byte buffer[4096];
  DWORD size = sizeof buffer;
  if (RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, buffer, &size) != ERROR_SUCCESS) return L"<unread>";
  wchar_t* text = nullptr;
  if (!ConvertSecurityDescriptorToStringSecurityDescriptorW(buffer, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text,
                                                            nullptr))
    return L"<unconverted>";
  const win32kit::UniqueLocal freed(text);
  return text;
}

TEST(FileTrust, TheImportCopiesValuesAndKeysButNotTheFilesSecurity) {
  const wchar_t* base = L"Software\\TsrCopyTest";
  RegDeleteTreeW(HKEY_CURRENT_USER, base);
  HKEY raw = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\TsrCopyTest\\From\\Open\\Deeper", 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &raw, nullptr),
            ERROR_SUCCESS);
  win32kit::UniqueKey deeper(raw);
  const DWORD number = 7;
  RegSetValueExW(deeper.get(), L"Count", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
  RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\TsrCopyTest\\From", L"Name", REG_SZ, L"text", 5 * sizeof(wchar_t));
  RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\TsrCopyTest\\From", L"", REG_SZ, L"default", 8 * sizeof(wchar_t));
  // The file's key lets everyone in.
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\TsrCopyTest\\From\\Open", 0, KEY_ALL_ACCESS, &raw),
            ERROR_SUCCESS);
  win32kit::UniqueKey open(raw);
  Descriptor everyone(L"D:(A;;KA;;;WD)");
  ASSERT_EQ(RegSetKeySecurity(open.get(), DACL_SECURITY_INFORMATION, everyone.raw), ERROR_SUCCESS);
  ASSERT_NE(keySecurity(open.get()).find(L"WD"), std::wstring::npos) << keySecurity(open.get());

  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\TsrCopyTest\\To", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &raw, nullptr),
            ERROR_SUCCESS);
  win32kit::UniqueKey to(raw);
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\TsrCopyTest\\From", 0, KEY_READ, &raw), ERROR_SUCCESS);
  win32kit::UniqueKey from(raw);
  ASSERT_TRUE(hivexfer::copyTree(from.get(), to.get()));

  wchar_t text[16] = {};
  DWORD size = sizeof text;
  EXPECT_EQ(RegGetValueW(to.get(), nullptr, L"Name", RRF_RT_REG_SZ, nullptr, text, &size), ERROR_SUCCESS);
  EXPECT_EQ(std::wstring(text), L"text");
  size = sizeof text;
  EXPECT_EQ(RegGetValueW(to.get(), nullptr, L"", RRF_RT_REG_SZ, nullptr, text, &size), ERROR_SUCCESS);
  EXPECT_EQ(std::wstring(text), L"default");
  DWORD count = 0;
  size = sizeof count;
  EXPECT_EQ(RegGetValueW(to.get(), L"Open\\Deeper", L"Count", RRF_RT_REG_DWORD, nullptr, &count, &size), ERROR_SUCCESS);
  EXPECT_EQ(count, 7u);

  ASSERT_EQ(RegOpenKeyExW(to.get(), L"Open", 0, KEY_READ, &raw), ERROR_SUCCESS);
  win32kit::UniqueKey copied(raw);
  EXPECT_EQ(keySecurity(copied.get()).find(L"(A;;KA;;;WD)"), std::wstring::npos) << keySecurity(copied.get());
  copied.reset();
  from.reset();
  to.reset();
  open.reset();
  deeper.reset();
  RegDeleteTreeW(HKEY_CURRENT_USER, base);
  RegDeleteKeyW(HKEY_CURRENT_USER, base);
}

}  // namespace
