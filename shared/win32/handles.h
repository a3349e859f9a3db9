#pragma once
// Move-only owners of Windows handles, so that every handle is closed on
// every path. GUI handles are sometimes handed over to Windows (a sub-menu
// to its parent menu, a window that destroyed itself), hence release().
#include <windows.h>

#include <type_traits>
#include <utility>

namespace win32kit {

template <typename Traits>
class UniqueHandle {
 public:
  using Handle = typename Traits::Handle;

  UniqueHandle() = default;
  explicit UniqueHandle(Handle h) : handle_(h) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~UniqueHandle() { reset(); }

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != Traits::invalid(); }
  void reset(Handle h = Traits::invalid()) {
    const Handle old = std::exchange(handle_, h);
    if (old != Traits::invalid()) Traits::close(old);
  }
  // Windows (or the caller) owns the handle from now on.
  Handle release() { return std::exchange(handle_, Traits::invalid()); }
  // For APIs that return the handle through an out parameter.
  Handle* receive() {
    reset();
    return &handle_;
  }

 private:
  Handle handle_ = Traits::invalid();
};

template <typename H, auto Close, auto Invalid = nullptr>
struct HandleTraits {
  using Handle = H;
  static Handle invalid() {
    if constexpr (std::is_same_v<decltype(Invalid), std::nullptr_t>) return nullptr;
    else return Invalid();
  }
  static void close(Handle h) { Close(h); }
};

inline HANDLE invalidHandleValue() { return INVALID_HANDLE_VALUE; }
inline void closeKey(HKEY h) { RegCloseKey(h); }
inline void closeKernel(HANDLE h) { CloseHandle(h); }
inline void closeFind(HANDLE h) { FindClose(h); }
inline void freeLocal(HLOCAL h) { LocalFree(h); }
inline void deleteFont(HFONT h) { DeleteObject(h); }
inline void deleteBrush(HBRUSH h) { DeleteObject(h); }
inline void destroyMenu(HMENU h) { DestroyMenu(h); }
inline void destroyWindow(HWND h) { DestroyWindow(h); }
inline void destroyIcon(HICON h) { DestroyIcon(h); }
inline void unhookWinEvent(HWINEVENTHOOK h) { UnhookWinEvent(h); }

using UniqueKey = UniqueHandle<HandleTraits<HKEY, closeKey>>;
// Processes, threads, events: nullptr when there is none.
using UniqueKernelHandle = UniqueHandle<HandleTraits<HANDLE, closeKernel>>;
// Files and snapshots, whose failure value is INVALID_HANDLE_VALUE.
using UniqueFileHandle = UniqueHandle<HandleTraits<HANDLE, closeKernel, invalidHandleValue>>;
using UniqueFind = UniqueHandle<HandleTraits<HANDLE, closeFind, invalidHandleValue>>;
using UniqueLocal = UniqueHandle<HandleTraits<HLOCAL, freeLocal>>;
using UniqueFont = UniqueHandle<HandleTraits<HFONT, deleteFont>>;
using UniqueBrush = UniqueHandle<HandleTraits<HBRUSH, deleteBrush>>;
using UniqueMenu = UniqueHandle<HandleTraits<HMENU, destroyMenu>>;
using UniqueWindow = UniqueHandle<HandleTraits<HWND, destroyWindow>>;
using UniqueIcon = UniqueHandle<HandleTraits<HICON, destroyIcon>>;
using UniqueWinEventHook = UniqueHandle<HandleTraits<HWINEVENTHOOK, unhookWinEvent>>;

}  // namespace win32kit
