#pragma once
// Move-only owners of Win32 handles; the invalid value is part of the type.
#include <windows.h>

#include <utility>

namespace qv {

template <class Traits>
class TUniqueHandle {
 public:
  using Handle = typename Traits::Handle;
  TUniqueHandle() = default;
  explicit TUniqueHandle(Handle h) : handle_(h) {}
  TUniqueHandle(const TUniqueHandle&) = delete;
  TUniqueHandle& operator=(const TUniqueHandle&) = delete;
  TUniqueHandle(TUniqueHandle&& other) noexcept : handle_(other.release()) {}
  TUniqueHandle& operator=(TUniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~TUniqueHandle() { reset(); }

  Handle get() const { return handle_; }
  bool valid() const { return handle_ != Traits::Invalid(); }
  Handle release() { return std::exchange(handle_, Traits::Invalid()); }
  void reset(Handle h = Traits::Invalid()) {
    if (valid()) Traits::Close(handle_);
    handle_ = h;
  }

 private:
  Handle handle_ = Traits::Invalid();
};

struct TKernelHandleTraits {  // events, threads, mutexes: NULL when invalid
  using Handle = HANDLE;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { CloseHandle(h); }
};

struct TFileHandleTraits {  // files: INVALID_HANDLE_VALUE when invalid
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { CloseHandle(h); }
};

struct TFindHandleTraits {  // directory searches
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { FindClose(h); }
};

struct TModuleHandleTraits {  // loaded DLLs
  using Handle = HMODULE;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { FreeLibrary(h); }
};

struct TIconTraits {
  using Handle = HICON;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { DestroyIcon(h); }
};

struct TMenuTraits {
  using Handle = HMENU;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { DestroyMenu(h); }
};

struct TWindowTraits {  // a window this object created and destroys
  using Handle = HWND;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { DestroyWindow(h); }
};

using TKernelHandle = TUniqueHandle<TKernelHandleTraits>;
using TIconHandle = TUniqueHandle<TIconTraits>;
using TMenuHandle = TUniqueHandle<TMenuTraits>;
using TWindowHandle = TUniqueHandle<TWindowTraits>;
using TFileHandle = TUniqueHandle<TFileHandleTraits>;
using TFindHandle = TUniqueHandle<TFindHandleTraits>;
using TModuleHandle = TUniqueHandle<TModuleHandleTraits>;

}  // namespace qv
