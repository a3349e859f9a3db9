#pragma once
// Text helpers for UTF-8 strings.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tessara {

// Lower case of letters in the Latin, Greek and Cyrillic ranges; other
// characters and malformed bytes are kept as they are.
std::string lowerCase(std::string_view text);

// The number of characters (Unicode code points) of a UTF-8 text; a
// malformed byte counts as one character.
std::size_t codePointCount(std::string_view text);

// n when text is prefix + n in plain decimal (no sign, no leading zeros) with
// n below limit; the prefix is compared without regard to ASCII case.
std::optional<int> numberAfter(std::string_view text, std::string_view prefix, int limit);

// UTF-8 of UTF-16 text; an unpaired surrogate becomes U+FFFD.
std::string utf8FromUtf16(std::u16string_view text);

}  // namespace tessara
