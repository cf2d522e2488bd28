#pragma once
// Owning handle types: copy deleted, move allowed, and the destructor releases exactly what
// the constructor took. Raw handles stay non-owning views.
#include <windows.h>

#include <utility>

namespace tessara {

template <class H, class Traits>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(H h) noexcept : h_(h) {}
  ~UniqueHandle() { Reset(); }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& o) noexcept : h_(std::exchange(o.h_, H{})) {}
  UniqueHandle& operator=(UniqueHandle&& o) noexcept {
    if (this != &o) Reset(std::exchange(o.h_, H{}));
    return *this;
  }
  H Get() const noexcept { return h_; }
  explicit operator bool() const noexcept { return h_ != H{}; }
  void Reset(H h = H{}) noexcept {
    if (H old = std::exchange(h_, h)) Traits::Close(old);
  }
  H Release() noexcept { return std::exchange(h_, H{}); }

 private:
  H h_{};
};

struct GdiObjectTraits {
  static void Close(HGDIOBJ h) { DeleteObject(h); }
};
struct DcTraits {
  static void Close(HDC h) { DeleteDC(h); }
};
struct IconTraits {
  static void Close(HICON h) { DestroyIcon(h); }
};
struct MenuTraits {
  static void Close(HMENU h) { DestroyMenu(h); }
};
struct KernelHandleTraits {
  static void Close(HANDLE h) { CloseHandle(h); }
};
struct WindowTraits {
  static void Close(HWND h) { DestroyWindow(h); }
};
struct HookTraits {
  static void Close(HHOOK h) { UnhookWindowsHookEx(h); }
};

using UniqueBitmap = UniqueHandle<HBITMAP, GdiObjectTraits>;
using UniqueFont = UniqueHandle<HFONT, GdiObjectTraits>;
using UniqueBrush = UniqueHandle<HBRUSH, GdiObjectTraits>;
using UniqueRegion = UniqueHandle<HRGN, GdiObjectTraits>;
using UniqueDC = UniqueHandle<HDC, DcTraits>;
using UniqueIcon = UniqueHandle<HICON, IconTraits>;
using UniqueMenu = UniqueHandle<HMENU, MenuTraits>;
using UniqueKernelHandle = UniqueHandle<HANDLE, KernelHandleTraits>;
using UniqueWindow = UniqueHandle<HWND, WindowTraits>;
using UniqueHook = UniqueHandle<HHOOK, HookTraits>;

// Selects a GDI object into a DC for one scope; the previous object goes back at its end,
// so a layer's bitmap is never left selected (a DIB section can be in only one DC).
class ScopedSelect {
 public:
  ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  ~ScopedSelect() {
    if (old_ && old_ != HGDI_ERROR) SelectObject(dc_, old_);
  }
  ScopedSelect(const ScopedSelect&) = delete;
  ScopedSelect& operator=(const ScopedSelect&) = delete;
  bool Ok() const { return old_ && old_ != HGDI_ERROR; }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

class ScreenDC {
 public:
  explicit ScreenDC(HWND window = nullptr) : window_(window), dc_(GetDC(window)) {}
  ~ScreenDC() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  ScreenDC(const ScreenDC&) = delete;
  ScreenDC& operator=(const ScreenDC&) = delete;
  HDC Get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

}  // namespace tessara
