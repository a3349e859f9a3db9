#include "tessara7/common/text.h"

#include <cstdint>

namespace tessara {
namespace {

char32_t lowerCodePoint(char32_t c) {
  if (c >= U'A' && c <= U'Z') return c + 32;
  if ((c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 32;                // Latin-1
  if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x138 && c != 0x149) {  // Latin Extended-A
    const bool evenIsUpper = (c < 0x138) || (c > 0x148 && c < 0x178);
    if (evenIsUpper ? (c % 2 == 0) : (c % 2 == 1)) return c + 1;
    return c;
  }
  if (c == 0x178) return 0xFF;
  if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 32;  // Greek
  if (c >= 0x410 && c <= 0x42F) return c + 32;                // Cyrillic
  if (c >= 0x400 && c <= 0x40F) return c + 80;
  return c;
}

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

std::string lowerCase(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    int length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || i + length > text.size()) {
      out += text[i++];  // malformed: keep the byte
      continue;
    }
    char32_t c = length == 1 ? lead : lead & (0x7F >> length);
    bool wellFormed = true;
    for (int k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) wellFormed = false;
      c = (c << 6) | (next & 0x3F);
    }
    if (!wellFormed) {
      out += text[i++];
      continue;
    }
    appendUtf8(out, lowerCodePoint(c));
    i += length;
  }
  return out;
}

std::size_t codePointCount(std::string_view text) {
  std::size_t count = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    std::size_t used = 1;  // a malformed or cut sequence: its lead byte alone
    if (length > 1 && i + length <= text.size()) {
      used = length;
      for (std::size_t k = 1; k < length; ++k)
        if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) used = 1;
    }
    i += used;
    ++count;
  }
  return count;
}

std::optional<int> numberAfter(std::string_view text, std::string_view prefix, int limit) {
  if (text.size() <= prefix.size() || text.size() > prefix.size() + 9) return std::nullopt;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    if (fold(text[i]) != fold(prefix[i])) return std::nullopt;
  }
  const std::string_view digits = text.substr(prefix.size());
  if (digits.size() > 1 && digits[0] == '0') return std::nullopt;
  int n = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    n = n * 10 + (c - '0');
  }
  if (n >= limit) return std::nullopt;
  return n;
}

std::string utf8FromUtf16(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    appendUtf8(out, c);
  }
  return out;
}

}  // namespace tessara
