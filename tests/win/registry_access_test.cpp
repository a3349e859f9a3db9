// The registry access layer over the real registry (Wine's in the test
// runs): value types, terminators, key creation and deletion as the system
// really does them. Everything happens under a scratch key that is removed
// afterwards.
#include "tessara7/settings/registry_access.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "shared/win32/handles.h"
#include "shared/win32/text.h"
#include "platform/win32/win32_registry.h"

namespace {

using platform::Root;
using win32kit::toWide;
using win32kit::UniqueKey;
using tessara::RegistryAccess;

// "Ünïcødé – 日本語 – ✓"
const std::string Unicode =
    "\xC3\x9Cn\xC3\xAF" "c\xC3\xB8" "d\xC3\xA9 \xE2\x80\x93 \xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E \xE2\x80\x93 \xE2\x9C\x93";
const std::wstring UnicodeWide = L"\u00DCn\u00EFc\u00F8d\u00E9 \u2013 \u65E5\u672C\u8A9E \u2013 \u2713";

HKEY hkeyOf(Root root) { return root == Root::Machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }

class WinRegistryAccessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device random;
    base_ = "Software\\TSRTest\\" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(random());
  }
  void TearDown() override {
    for (const Root root : {Root::User, Root::Machine}) {
      RegDeleteTreeW(hkeyOf(root), toWide(base_).c_str());
      RegDeleteKeyW(hkeyOf(root), L"Software\\TSRTest");  // only when no other run left keys
    }
  }

  std::string key(const std::string& sub = {}) const { return sub.empty() ? base_ : base_ + "\\" + sub; }

  bool exists(Root root, const std::string& path) const {
    UniqueKey handle;
    return RegOpenKeyExW(hkeyOf(root), toWide(path).c_str(), 0, KEY_READ, handle.receive()) == ERROR_SUCCESS;
  }

  // Writes a value with exactly the given type and bytes, behind the layer's back.
  void plant(Root root, const std::string& path, const wchar_t* name, DWORD type, const void* data,
             DWORD bytes) const {
    UniqueKey handle;
    ASSERT_EQ(RegCreateKeyExW(hkeyOf(root), toWide(path).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                              handle.receive(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(handle.get(), name, 0, type, static_cast<const BYTE*>(data), bytes),
              ERROR_SUCCESS);
  }

  // The type and bytes the system stored.
  struct Raw {
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;
  };
  Raw raw(Root root, const std::string& path, const std::wstring& name) const {
    Raw result;
    UniqueKey handle;
    if (RegOpenKeyExW(hkeyOf(root), toWide(path).c_str(), 0, KEY_READ, handle.receive()) != ERROR_SUCCESS)
      return result;
    DWORD size = 0;
    if (RegQueryValueExW(handle.get(), name.c_str(), nullptr, &result.type, nullptr, &size) != ERROR_SUCCESS)
      return Raw{};
    result.bytes.resize(size);
    RegQueryValueExW(handle.get(), name.c_str(), nullptr, &result.type, result.bytes.data(), &size);
    result.bytes.resize(size);
    return result;
  }

  // The UTF-16 text of stored REG_SZ bytes. The layer counts no terminator,
  // but the system appends one itself when the caller's buffer is terminated
  // (NT does the same), so one trailing NUL unit is the system's, not ours.
  static std::wstring storedText(const Raw& stored) {
    std::wstring text(stored.bytes.size() / sizeof(wchar_t), L'\0');
    std::memcpy(text.data(), stored.bytes.data(), text.size() * sizeof(wchar_t));
    if (!text.empty() && text.back() == L'\0') text.pop_back();
    return text;
  }

  platform::win32::Win32Registry registry_;
  RegistryAccess access_{registry_};
  std::string base_;
};

// --- strings ---

TEST_F(WinRegistryAccessTest, MissingKeyOrValueReadsAsEmptyOrZero) {
  EXPECT_EQ(access_.GetStringValue(Root::User, key("Nope"), "x"), "");
  EXPECT_EQ(access_.GetDwordValue(Root::User, key("Nope"), "x"), 0);
  access_.CreateKey(Root::User, key());
  EXPECT_EQ(access_.GetStringValue(Root::User, key(), "x"), "");
  EXPECT_EQ(access_.GetDwordValue(Root::User, key(), "x"), 0);
  EXPECT_FALSE(exists(Root::User, key("Nope")));  // reading created nothing
}

TEST_F(WinRegistryAccessTest, StringIsStoredAsExactlyItsUtf16Units) {
  access_.SaveStringValue(Root::User, key(), "LockIE", "1");
  const Raw stored = raw(Root::User, key(), L"LockIE");
  EXPECT_EQ(stored.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(storedText(stored), L"1");
  EXPECT_LE(stored.bytes.size(), 2 * sizeof(wchar_t));
  EXPECT_EQ(access_.GetStringValue(Root::User, key(), "LockIE"), "1");
}

TEST_F(WinRegistryAccessTest, StringsWithAndWithoutTerminatorReadAlike) {
  const wchar_t withNul[] = L"Notepad";  // 8 units, NUL counted
  plant(Root::User, key(), L"WithNul", REG_SZ, withNul, sizeof withNul);
  plant(Root::User, key(), L"WithoutNul", REG_SZ, withNul, sizeof withNul - sizeof(wchar_t));
  const wchar_t embedded[] = L"Note\0pad";
  plant(Root::User, key(), L"Embedded", REG_SZ, embedded, sizeof embedded);
  plant(Root::User, key(), L"OddBytes", REG_SZ, withNul, 5);  // two whole units and a stray byte
  EXPECT_EQ(access_.GetStringValue(Root::User, key(), "WithNul"), "Notepad");
  EXPECT_EQ(access_.GetStringValue(Root::User, key(), "WithoutNul"), "Notepad");
  EXPECT_EQ(access_.GetStringValue(Root::User, key(), "Embedded"), "Note");
  EXPECT_EQ(access_.GetStringValue(Root::User, key(), "OddBytes"), "No");
}

TEST_F(WinRegistryAccessTest, EmptyStringRoundTripIsLikeMissing) {
  access_.SaveStringValue(Root::User, key(), "LastPath", "");
  const Raw stored = raw(Root::User, key(), L"LastPath");
  EXPECT_EQ(stored.type, static_cast<DWORD>(REG_SZ));
  EXPECT_TRUE(stored.bytes.empty());
  EXPECT_EQ(access_.GetStringValue(Root::User, key(), "LastPath"), "");
  EXPECT_EQ(access_.GetStringValue(Root::User, key(), "LastPath"),
            access_.GetStringValue(Root::User, key(), "NeverWritten"));
}

TEST_F(WinRegistryAccessTest, LongStringRoundTrips) {
  const std::string text(70000, 'x');
  access_.SaveStringValue(Root::User, key(), "Long", text);
  EXPECT_EQ(access_.GetStringValue(Root::User, key(), "Long"), text);
}

// --- types ---

TEST_F(WinRegistryAccessTest, OtherTypesReadAsAbsent) {
  access_.SaveDwordValue(Root::User, key(), "Dword", 1);
  access_.SaveStringValue(Root::User, key(), "Text", "1");
  const wchar_t expandable[] = L"%WINDIR%";
  plant(Root::User, key(), L"Expand", REG_EXPAND_SZ, expandable, sizeof expandable);
  const BYTE four[4] = {1, 0, 0, 0};
  plant(Root::User, key(), L"Binary", REG_BINARY, four, sizeof four);
  plant(Root::User, key(), L"BigEndian", REG_DWORD_BIG_ENDIAN, four, sizeof four);
  const wchar_t multi[] = L"a\0b\0";
  plant(Root::User, key(), L"Multi", REG_MULTI_SZ, multi, sizeof multi);

  EXPECT_EQ(access_.GetStringValue(Root::User, key(), "Dword"), "");
  EXPECT_EQ(access_.GetDwordValue(Root::User, key(), "Text"), 0);
  for (const char* name : {"Expand", "Binary", "BigEndian", "Multi"}) {
    EXPECT_EQ(access_.GetStringValue(Root::User, key(), name), "") << name;
    EXPECT_EQ(access_.GetDwordValue(Root::User, key(), name), 0) << name;
  }
}

TEST_F(WinRegistryAccessTest, DwordIsFourLittleEndianBytesReadAsSigned) {
  access_.SaveDwordValue(Root::User, key(), "Pattern", 0x01020304);
  const Raw stored = raw(Root::User, key(), L"Pattern");
  EXPECT_EQ(stored.type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(stored.bytes, (std::vector<BYTE>{4, 3, 2, 1}));
  EXPECT_EQ(access_.GetDwordValue(Root::User, key(), "Pattern"), 0x01020304);

  access_.SaveDwordValue(Root::User, key(), "Minus", -1);
  EXPECT_EQ(raw(Root::User, key(), L"Minus").bytes, (std::vector<BYTE>{0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(access_.GetDwordValue(Root::User, key(), "Minus"), -1);
  const BYTE high[4] = {0, 0, 0, 0x80};
  plant(Root::User, key(), L"High", REG_DWORD, high, sizeof high);
  EXPECT_EQ(access_.GetDwordValue(Root::User, key(), "High"), INT32_MIN);
}

TEST_F(WinRegistryAccessTest, SaveReplacesValueOfAnotherType) {
  access_.SaveDwordValue(Root::User, key(), "Flag", 1);
  access_.SaveStringValue(Root::User, key(), "Flag", "0");
  EXPECT_EQ(raw(Root::User, key(), L"Flag").type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(access_.GetDwordValue(Root::User, key(), "Flag"), 0);
  EXPECT_EQ(access_.GetStringValue(Root::User, key(), "Flag"), "0");
}

// --- keys ---

TEST_F(WinRegistryAccessTest, SavesCreateEveryMissingKey) {
  access_.SaveStringValue(Root::User, key("A\\B\\C"), "v", "1");
  EXPECT_TRUE(exists(Root::User, key("A")));
  EXPECT_TRUE(exists(Root::User, key("A\\B")));
  EXPECT_EQ(access_.GetStringValue(Root::User, key("A\\B\\C"), "v"), "1");
  access_.SaveDwordValue(Root::User, key("D\\E"), "WriteProtect", 1);
  EXPECT_EQ(access_.GetDwordValue(Root::User, key("D\\E"), "WriteProtect"), 1);
  access_.CreateKey(Root::User, key("F\\G"));
  EXPECT_TRUE(exists(Root::User, key("F\\G")));
}

TEST_F(WinRegistryAccessTest, CreateKeyLeavesAnExistingKeyAlone) {
  access_.SaveStringValue(Root::User, key("Ignore"), "Program0", "Run");
  access_.CreateKey(Root::User, key("Ignore"));
  EXPECT_EQ(access_.GetStringValue(Root::User, key("Ignore"), "Program0"), "Run");
}

TEST_F(WinRegistryAccessTest, NamesAreCaseBlind) {
  access_.SaveStringValue(Root::User, key("IGNORE"), "PROGRAM0", "Notepad");
  std::string lower = key("ignore");
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  EXPECT_EQ(access_.GetStringValue(Root::User, lower, "program0"), "Notepad");
}

TEST_F(WinRegistryAccessTest, DeleteKeyOnMissingKeyOrKeyWithSubkeysChangesNothing) {
  access_.SaveStringValue(Root::User, key("Parent"), "Help", "1");
  access_.SaveStringValue(Root::User, key("Parent\\Child"), "Window", "Paint");
  access_.DeleteKey(Root::User, key("Missing"));
  access_.DeleteKey(Root::User, key("Missing\\Deeper"));
  access_.DeleteKey(Root::User, key("Parent"));
  EXPECT_EQ(access_.GetStringValue(Root::User, key("Parent"), "Help"), "1");
  EXPECT_EQ(access_.GetStringValue(Root::User, key("Parent\\Child"), "Window"), "Paint");
  EXPECT_FALSE(exists(Root::User, key("Missing")));

  access_.DeleteKey(Root::User, key("Parent\\Child"));
  EXPECT_FALSE(exists(Root::User, key("Parent\\Child")));
  access_.DeleteKey(Root::User, key("Parent"));
  EXPECT_FALSE(exists(Root::User, key("Parent")));
}

TEST_F(WinRegistryAccessTest, DeleteValueRemovesOnlyThatValue) {
  access_.SaveStringValue(Root::User, key(), "tmp", "1");
  access_.SaveStringValue(Root::User, key(), "Keep", "1");
  access_.DeleteValue(Root::User, key(), "TMP");
  access_.DeleteValue(Root::User, key(), "tmp");        // already gone
  access_.DeleteValue(Root::User, key("None"), "tmp");  // no key
  EXPECT_EQ(raw(Root::User, key(), L"tmp").type, static_cast<DWORD>(REG_NONE));
  EXPECT_EQ(access_.GetStringValue(Root::User, key(), "Keep"), "1");
  EXPECT_FALSE(exists(Root::User, key("None")));
}

TEST_F(WinRegistryAccessTest, MachineRootWorksLikeTheUserRoot) {
  access_.SaveStringValue(Root::Machine, key("Settings"), "tmp", "1");
  EXPECT_EQ(access_.GetStringValue(Root::Machine, key("Settings"), "tmp"), "1");
  EXPECT_EQ(access_.GetStringValue(Root::User, key("Settings"), "tmp"), "");
  access_.DeleteValue(Root::Machine, key("Settings"), "tmp");
  EXPECT_EQ(access_.GetStringValue(Root::Machine, key("Settings"), "tmp"), "");
  access_.DeleteKey(Root::Machine, key("Settings"));
  EXPECT_FALSE(exists(Root::Machine, key("Settings")));
}

// --- text beyond ASCII ---

TEST_F(WinRegistryAccessTest, NonAnsiTextRoundTripsAsUtf16) {
  const std::string path = key(Unicode);
  access_.SaveStringValue(Root::User, path, Unicode, Unicode);
  EXPECT_EQ(access_.GetStringValue(Root::User, path, Unicode), Unicode);
  // Stored as the right UTF-16, not as bytes of some code page.
  const Raw stored = raw(Root::User, base_ + "\\" + Unicode, UnicodeWide);
  EXPECT_EQ(storedText(stored), UnicodeWide);
  EXPECT_EQ(registry_.subKeys(Root::User, key()), std::vector<std::string>{Unicode});
  EXPECT_EQ(registry_.valueNames(Root::User, path), std::vector<std::string>{Unicode});
}

// --- the platform registry below the layer ---

TEST_F(WinRegistryAccessTest, RegistryReportsWhatHappened) {
  EXPECT_FALSE(registry_.deleteKey(Root::User, key()));  // missing
  EXPECT_TRUE(registry_.writeString(Root::User, key("K"), "v", "x"));
  EXPECT_FALSE(registry_.deleteKey(Root::User, key()));  // has a sub-key
  EXPECT_FALSE(registry_.deleteKey(Root::User, ""));     // never the root
  EXPECT_TRUE(registry_.keyExists(Root::User, key("k")));
  EXPECT_FALSE(registry_.deleteValue(Root::User, key("K"), "w"));
  EXPECT_TRUE(registry_.deleteValue(Root::User, key("K"), "v"));
  EXPECT_TRUE(registry_.deleteKey(Root::User, key("K")));
  EXPECT_FALSE(registry_.keyExists(Root::User, key("K")));
}

TEST_F(WinRegistryAccessTest, BulkReadsGiveWhatSingleReadsGive) {
  const std::string row = key("Windows0");
  const std::string longText(70000, 'x');
  access_.SaveStringValue(Root::User, row, "Window", Unicode);
  access_.SaveStringValue(Root::User, row, "Long", longText);
  access_.SaveDwordValue(Root::User, row, "Dword", -2);
  const wchar_t terminated[] = L"0";
  plant(Root::User, row, L"Enabled", REG_SZ, terminated, sizeof terminated);
  const wchar_t expandable[] = L"%WINDIR%";
  plant(Root::User, row, L"Expand", REG_EXPAND_SZ, expandable, sizeof expandable);
  const BYTE eight[8] = {1, 0, 0, 0, 0, 0, 0, 0};
  plant(Root::User, row, L"WideDword", REG_DWORD, eight, sizeof eight);

  // Several values with the key opened once.
  const auto [window, enabled, longOne, dword, expand, missing] =
      access_.GetStringValues(Root::User, row, "Window", "ENABLED", "Long", "Dword", "Expand", "Missing");
  EXPECT_EQ(window, Unicode);
  EXPECT_EQ(enabled, "0");
  EXPECT_EQ(longOne, longText);
  EXPECT_EQ(dword, "");
  EXPECT_EQ(expand, "");
  EXPECT_EQ(missing, "");

  // The whole key: every value as the single read sees it.
  const auto all = registry_.readAll(Root::User, row);
  ASSERT_EQ(all.size(), 6u);
  for (const auto& [name, value] : all) {
    const auto single = registry_.read(Root::User, row, name);
    ASSERT_TRUE(single.has_value()) << name;
    EXPECT_EQ(value.type, single->type) << name;
    EXPECT_EQ(value.text, single->text) << name;
    EXPECT_EQ(value.dword, single->dword) << name;
  }
  std::vector<std::string> texts;
  for (const auto& [name, text] : access_.GetAllStringValues(Root::User, row)) texts.push_back(name + "=" + text.substr(0, 3));
  std::sort(texts.begin(), texts.end());
  EXPECT_EQ(texts, (std::vector<std::string>{"Enabled=0", "Long=xxx", "Window=" + Unicode.substr(0, 3)}));
  EXPECT_EQ(access_.GetDwordValue(Root::User, row, "WideDword"), 0) << "a DWORD of eight bytes is no DWORD";

  // A missing key: nothing listed, every value empty.
  EXPECT_TRUE(registry_.readAll(Root::User, key("Missing")).empty());
  EXPECT_TRUE(access_.SubKeyNames(Root::User, key("Missing")).empty());
  EXPECT_EQ(access_.SubKeyNames(Root::User, key()), std::vector<std::string>{"Windows0"});
  EXPECT_EQ(access_.SubKeyCount(Root::User, key()), 1u);
  EXPECT_EQ(access_.SubKeyCount(Root::User, key("Missing")), 0u);
  EXPECT_EQ(access_.GetStringValues(Root::User, key("Missing"), "Window")[0], "");
}

// Large reads run on several threads; what they give must still be exactly
// what one read at a time gives, in the same order, with gaps where keys or
// values are missing.
TEST_F(WinRegistryAccessTest, LargeReadsSideBySideGiveWhatSingleReadsGive) {
  constexpr int kRows = 300;
  std::vector<std::string> rows;
  int written = 0;
  for (int n = 0; n < kRows; ++n) {
    rows.push_back(key("Windows" + std::to_string(n)));
    if (n % 7 == 3) continue;  // a missing row
    ++written;
    access_.SaveStringValue(Root::User, rows.back(), "Window", "Title " + std::to_string(n) + " " + Unicode);
    if (n % 5 != 0) access_.SaveStringValue(Root::User, rows.back(), "Enabled", n % 2 ? "1" : "0");
    access_.SaveStringValue(Root::User, key("Many"), "Program" + std::to_string(n), std::string(n, 'a' + n % 26));
  }
  const std::array<std::string_view, 2> names{"Window", "Enabled"};
  const auto texts = access_.GetStringValuesOfKeys(Root::User, rows, names);
  ASSERT_EQ(texts.size(), rows.size());
  int present = 0;
  for (int n = 0; n < kRows; ++n) {
    const auto [window, enabled] = access_.GetStringValues(Root::User, rows[n], "Window", "Enabled");
    ASSERT_EQ(texts[n].size(), 2u);
    EXPECT_EQ(texts[n][0], window) << n;
    EXPECT_EQ(texts[n][1], enabled) << n;
    present += !window.empty();
  }
  EXPECT_EQ(present, written);  // the test wrote what it reads back

  const auto all = registry_.readAll(Root::User, key("Many"));
  const auto names1by1 = registry_.valueNames(Root::User, key("Many"));
  ASSERT_EQ(all.size(), names1by1.size());
  ASSERT_EQ(all.size(), static_cast<std::size_t>(written));
  for (std::size_t i = 0; i < all.size(); ++i) {
    EXPECT_EQ(all[i].name, names1by1[i]) << i;
    EXPECT_EQ(all[i].value.text, registry_.read(Root::User, key("Many"), all[i].name)->text) << i;
  }
}

// Reads started ahead run beside the caller, and wait() returns only once
// they have run; an Ahead destroyed without wait() still lets them finish.
TEST_F(WinRegistryAccessTest, ReadsAheadRunOnAnotherThreadUntilWaitedFor) {
  access_.SaveStringValue(Root::User, key("Row"), "Window", "Notepad");
  DWORD readerThread = 0;
  std::string read;
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ASSERT_NE(release, nullptr);
  auto ahead = registry_.readAhead([&] {
    WaitForSingleObject(release, 5000);  // held until the caller has gone on
    readerThread = GetCurrentThreadId();
    read = access_.GetStringValue(Root::User, key("Row"), "Window");
  });
  EXPECT_EQ(read, "") << "the caller goes on while the reads wait";
  SetEvent(release);
  ahead->wait();
  EXPECT_EQ(read, "Notepad");
  EXPECT_NE(readerThread, GetCurrentThreadId());

  bool ran = false;
  registry_.readAhead([&] {
    Sleep(50);
    ran = true;
  }).reset();
  EXPECT_TRUE(ran);
  CloseHandle(release);
}

TEST_F(WinRegistryAccessTest, ValueNamesListsLongNames) {
  const std::string longName(300, 'n');
  registry_.writeString(Root::User, key(), "short", "1");
  registry_.writeString(Root::User, key(), longName, "2");
  auto names = registry_.valueNames(Root::User, key());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{longName, "short"}));
}

}  // namespace
