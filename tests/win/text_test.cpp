// UTF-8 / UTF-16 conversion at the Windows boundary, including input that
// is not valid in its encoding.
#include "shared/win32/text.h"

#include <gtest/gtest.h>

namespace {

using win32kit::toUtf8;
using win32kit::toWide;

const std::string Replacement = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

TEST(Win32Text, ValidTextRoundTrips) {
  EXPECT_EQ(toWide(""), L"");
  EXPECT_EQ(toUtf8(L""), "");
  EXPECT_EQ(toWide("Tessara 7"), L"Tessara 7");
  EXPECT_EQ(toWide("\xC3\x9C \xE6\x97\xA5 \xF0\x9F\x98\x80"), L"\u00DC \u65E5 \U0001F600");
  EXPECT_EQ(toUtf8(L"\u00DC \u65E5 \U0001F600"), "\xC3\x9C \xE6\x97\xA5 \xF0\x9F\x98\x80");
  const std::string withNul("a\0b", 3);
  EXPECT_EQ(toWide(withNul), std::wstring(L"a\0b", 3));
  EXPECT_EQ(toUtf8(std::wstring(L"a\0b", 3)), withNul);
}

TEST(Win32Text, InvalidUtf8BecomesReplacementCharacters) {
  EXPECT_EQ(toWide("a\xFF" "b"), L"a\uFFFDb");
  EXPECT_EQ(toWide("ab\xC3"), L"ab\uFFFD");  // cut in the middle of a sequence
  EXPECT_EQ(toWide("\x80"), L"\uFFFD");     // a lone continuation byte
  // Overlong and surrogate encodings: each kept valid text around them and
  // replaced the bad bytes, however many replacement characters that takes.
  for (const std::string bad : {"x\xC0\xAFy", "x\xED\xA0\x80y"}) {
    const std::wstring wide = toWide(bad);
    ASSERT_GE(wide.size(), 3u) << bad;
    EXPECT_EQ(wide.front(), L'x');
    EXPECT_EQ(wide.back(), L'y');
    EXPECT_EQ(wide.find_first_not_of(L'\uFFFD', 1), wide.size() - 1);
  }
}

TEST(Win32Text, UnpairedSurrogatesBecomeReplacementCharacters) {
  EXPECT_EQ(toUtf8(std::wstring{L'a', wchar_t(0xD800), L'b'}), "a" + Replacement + "b");
  EXPECT_EQ(toUtf8(std::wstring{wchar_t(0xDC00)}), Replacement);
  EXPECT_EQ(toUtf8(std::wstring{wchar_t(0xDE00), wchar_t(0xD83D)}), Replacement + Replacement);
  EXPECT_EQ(toUtf8(std::wstring{L'z', wchar_t(0xD83D)}), "z" + Replacement);
}

}  // namespace
