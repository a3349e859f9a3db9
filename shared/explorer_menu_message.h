#pragma once
// The message the Explorer menu DLL sends to tessara7's window when an entry
// is clicked (WM_COPYDATA, dwData = names::ExplorerMenuCopyData): the entry's
// caption and the selected paths, UTF-16. Header-only and free of windows.h,
// so that the DLL encodes with it and the program's platform-neutral logic
// decodes with it, natively tested.
//
// Layout, all integers 32-bit little-endian:
//   magic "TS7M" | version (1) | caption | path count | path...
// where each text is its length in UTF-16 code units and the units. The data
// comes from any process on the desktop: decode() takes nothing on trust and
// refuses the whole message at the first fault.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace explorer_menu {

inline constexpr std::uint32_t Magic = 0x4D375354;  // "TS7M" read little-endian
inline constexpr std::uint32_t Version = 1;
// Explorer's selection can be large, but never this large.
inline constexpr std::uint32_t MaxPaths = 16384;
// The longest path Windows handles, and a caption far longer than any entry.
inline constexpr std::uint32_t MaxPathUnits = 32767;
inline constexpr std::uint32_t MaxCaptionUnits = 256;
inline constexpr std::size_t MaxBytes = 64u << 20;

struct Click {
  std::u16string caption;
  std::vector<std::u16string> paths;
};

namespace detail {

inline void putWord(std::vector<std::byte>& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::byte>((value >> shift) & 0xFF));
}

inline void putText(std::vector<std::byte>& out, const std::u16string& text) {
  putWord(out, static_cast<std::uint32_t>(text.size()));
  for (const char16_t unit : text) {
    out.push_back(static_cast<std::byte>(unit & 0xFF));
    out.push_back(static_cast<std::byte>(unit >> 8));
  }
}

class Reader {
 public:
  explicit Reader(std::span<const std::byte> data) : data_(data) {}
  std::optional<std::uint32_t> word() {
    if (data_.size() - at_ < 4) return std::nullopt;
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value |= std::to_integer<std::uint32_t>(data_[at_ + i]) << (8 * i);
    at_ += 4;
    return value;
  }
  // A text of at most maxUnits, with no NUL (a NUL would cut the path short
  // at the system's boundary) and no unpaired surrogate.
  std::optional<std::u16string> text(std::uint32_t maxUnits) {
    const auto units = word();
    if (!units || *units > maxUnits || (data_.size() - at_) / 2 < *units) return std::nullopt;
    std::u16string text(*units, u'\0');
    for (std::uint32_t i = 0; i < *units; ++i, at_ += 2)
      text[i] = static_cast<char16_t>(std::to_integer<unsigned>(data_[at_]) |
                                      (std::to_integer<unsigned>(data_[at_ + 1]) << 8));
    for (std::size_t i = 0; i < text.size(); ++i) {
      const char16_t unit = text[i];
      if (unit == u'\0') return std::nullopt;
      if (unit >= 0xD800 && unit <= 0xDBFF) {
        if (i + 1 == text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) return std::nullopt;
        ++i;
      } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
        return std::nullopt;
      }
    }
    return text;
  }
  bool atEnd() const { return at_ == data_.size(); }

 private:
  std::span<const std::byte> data_;
  std::size_t at_ = 0;
};

}  // namespace detail

inline std::vector<std::byte> encode(const Click& click) {
  std::vector<std::byte> out;
  detail::putWord(out, Magic);
  detail::putWord(out, Version);
  detail::putText(out, click.caption);
  detail::putWord(out, static_cast<std::uint32_t>(click.paths.size()));
  for (const auto& path : click.paths) detail::putText(out, path);
  return out;
}

// The click, or nothing when the data is not a well-formed message of this
// version: wrong magic or version, a length past the data or a limit, a path
// that is empty, holds a NUL or a broken surrogate, no paths, or bytes left over.
inline std::optional<Click> decode(std::span<const std::byte> data) {
  if (data.size() > MaxBytes) return std::nullopt;
  detail::Reader in(data);
  if (in.word() != Magic || in.word() != Version) return std::nullopt;
  Click click;
  auto caption = in.text(MaxCaptionUnits);
  if (!caption || caption->empty()) return std::nullopt;
  click.caption = std::move(*caption);
  const auto count = in.word();
  if (!count || *count == 0 || *count > MaxPaths) return std::nullopt;
  click.paths.reserve(*count);
  for (std::uint32_t i = 0; i < *count; ++i) {
    auto path = in.text(MaxPathUnits);
    if (!path || path->empty()) return std::nullopt;
    click.paths.push_back(std::move(*path));
  }
  if (!in.atEnd()) return std::nullopt;
  return click;
}

}  // namespace explorer_menu
