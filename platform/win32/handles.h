#pragma once
// Move-only owners of Windows handles, so that every handle is closed on
// every path.
#include <windows.h>

#include <utility>

namespace platform::win32 {

template <typename Traits>
class UniqueHandle {
 public:
  using Handle = typename Traits::Handle;

  UniqueHandle() = default;
  explicit UniqueHandle(Handle h) : handle_(h) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, Traits::invalid())) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
      reset();
      handle_ = std::exchange(other.handle_, Traits::invalid());
    }
    return *this;
  }
  ~UniqueHandle() { reset(); }

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != Traits::invalid(); }
  void reset() {
    if (handle_ != Traits::invalid()) Traits::close(handle_);
    handle_ = Traits::invalid();
  }
  // For APIs that return the handle through an out parameter.
  Handle* receive() {
    reset();
    return &handle_;
  }

 private:
  Handle handle_ = Traits::invalid();
};

struct KeyTraits {
  using Handle = HKEY;
  static HKEY invalid() { return nullptr; }
  static void close(HKEY h) { RegCloseKey(h); }
};
struct KernelTraits {
  using Handle = HANDLE;
  static HANDLE invalid() { return nullptr; }
  static void close(HANDLE h) { CloseHandle(h); }
};
struct FindTraits {
  using Handle = HANDLE;
  static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
  static void close(HANDLE h) { FindClose(h); }
};
struct LocalTraits {
  using Handle = HLOCAL;
  static HLOCAL invalid() { return nullptr; }
  static void close(HLOCAL h) { LocalFree(h); }
};

using UniqueKey = UniqueHandle<KeyTraits>;
using UniqueKernelHandle = UniqueHandle<KernelTraits>;
using UniqueFind = UniqueHandle<FindTraits>;
using UniqueLocal = UniqueHandle<LocalTraits>;

}  // namespace platform::win32
