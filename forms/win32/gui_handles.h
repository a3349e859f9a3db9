#pragma once
// Move-only owners of the GUI handles the forms binding creates. Unlike the
// kernel handles, these are sometimes handed over to Windows (a sub-menu to
// its parent menu, a window that destroyed itself), hence release().
#include <windows.h>

#include <utility>

namespace forms::win32 {

template <typename Handle, BOOL(WINAPI* Close)(Handle)>
class UniqueGui {
 public:
  UniqueGui() = default;
  explicit UniqueGui(Handle h) : handle_(h) {}
  UniqueGui(const UniqueGui&) = delete;
  UniqueGui& operator=(const UniqueGui&) = delete;
  UniqueGui(UniqueGui&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  UniqueGui& operator=(UniqueGui&& other) noexcept {
    if (this != &other) reset(std::exchange(other.handle_, nullptr));
    return *this;
  }
  ~UniqueGui() { reset(); }

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  void reset(Handle h = nullptr) {
    Handle old = std::exchange(handle_, h);
    if (old) Close(old);
  }
  // Windows owns the handle from now on.
  Handle release() { return std::exchange(handle_, nullptr); }

 private:
  Handle handle_ = nullptr;
};

inline BOOL WINAPI deleteFont(HFONT h) { return DeleteObject(h); }
inline BOOL WINAPI deleteBrush(HBRUSH h) { return DeleteObject(h); }

using UniqueFont = UniqueGui<HFONT, deleteFont>;
using UniqueBrush = UniqueGui<HBRUSH, deleteBrush>;
using UniqueMenu = UniqueGui<HMENU, DestroyMenu>;
using UniqueWindow = UniqueGui<HWND, DestroyWindow>;
using UniqueIcon = UniqueGui<HICON, DestroyIcon>;

}  // namespace forms::win32
