#pragma once
// UTF-8 inside the programs, UTF-16 at the Windows API boundary. Header-only
// so that every program (and the small ones that link nothing else) shares it.
#include <windows.h>

#include <climits>
#include <string>
#include <string_view>

namespace win32kit {

// Invalid sequences become U+FFFD; embedded NULs are kept. Never throws
// except for running out of memory.
inline std::wstring toWide(std::string_view utf8) {
  if (utf8.empty() || utf8.size() > INT_MAX) return {};
  const int inLength = static_cast<int>(utf8.size());
  // Without MB_ERR_INVALID_CHARS the system substitutes U+FFFD for bad bytes
  // instead of failing the whole conversion.
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), inLength, nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  const int written = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), inLength, wide.data(), length);
  wide.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
  return wide;
}

inline std::string toUtf8(std::wstring_view utf16) {
  if (utf16.empty() || utf16.size() > INT_MAX) return {};
  const int inLength = static_cast<int>(utf16.size());
  // Unpaired surrogates are written as U+FFFD (the flags must be 0 for CP_UTF8).
  const int length = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), inLength, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return {};
  std::string utf8(static_cast<std::size_t>(length), '\0');
  const int written =
      WideCharToMultiByte(CP_UTF8, 0, utf16.data(), inLength, utf8.data(), length, nullptr, nullptr);
  utf8.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
  return utf8;
}

// The text of a window (a title, a control's caption), UTF-8.
inline std::string windowText(HWND window) {
  if (!window) return {};
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return toUtf8(text);
}

}  // namespace win32kit
