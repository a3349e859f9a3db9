#include "tsrmenu/program_window.h"

#include "shared/explorer_menu_message.h"
#include "shared/names.h"
#include "shared/win32/handles.h"
#include "shared/win32/text.h"

namespace tsrmenu {
namespace {

// More entries than the program adds, and any caption, are bounded here.
constexpr int kMaxEntries = 16;
constexpr DWORD kMaxCaptionBytes = 512;
// A program that does not take the click within this long has it dropped.
constexpr UINT kSendTimeoutMs = 2000;

std::u16string toU16(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }

}  // namespace

HWND programWindow() {
  const HWND window = FindWindowW(win32kit::toWide(names::ConfigClass).c_str(),
                                  win32kit::toWide(names::MainTitle).c_str());
  if (window == nullptr) return nullptr;
  return GetPropW(window, win32kit::toWide(names::ExplorerMenuProperty).c_str()) != nullptr ? window : nullptr;
}

std::vector<std::wstring> publishedEntries() {
  std::vector<std::wstring> entries;
  HKEY opened = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, win32kit::toWide(names::ExplorerMenuEntriesKey).c_str(), 0, KEY_QUERY_VALUE,
                    &opened) != ERROR_SUCCESS)
    return entries;
  const win32kit::UniqueKey key(opened);
  for (int i = 0; i < kMaxEntries; ++i) {
    const std::wstring name = win32kit::toWide(names::ExplorerMenuEntryName + std::to_string(i));
    wchar_t buffer[kMaxCaptionBytes / sizeof(wchar_t) + 1] = {};
    DWORD type = 0;
    DWORD size = kMaxCaptionBytes;
    if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
      break;
    std::wstring caption(buffer, size / sizeof(wchar_t));
    while (!caption.empty() && caption.back() == L'\0') caption.pop_back();
    if (caption.empty()) break;
    entries.push_back(std::move(caption));
  }
  return entries;
}

bool sendClick(HWND window, const std::wstring& caption, const std::vector<std::wstring>& paths) {
  explorer_menu::Click click{toU16(caption), {}};
  click.paths.reserve(paths.size());
  for (const auto& path : paths) click.paths.push_back(toU16(path));
  const std::vector<std::byte> message = explorer_menu::encode(click);
  COPYDATASTRUCT data{};
  data.dwData = names::ExplorerMenuCopyData;
  data.cbData = static_cast<DWORD>(message.size());
  data.lpData = const_cast<std::byte*>(message.data());
  DWORD_PTR taken = 0;
  // The program copies the data and replies at once; a hung one is not waited for.
  return SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                             SMTO_ABORTIFHUNG | SMTO_BLOCK, kSendTimeoutMs, &taken) != 0 &&
         taken == TRUE;
}

}  // namespace tsrmenu
