// Owning wrappers for the Win32 handles the editor creates, so that every
// window, menu, device context and GDI object is released on every path.
#pragma once

#include <windows.h>

#include <utility>

namespace ulvo::win32 {

// Owns a handle and releases it with Traits::Release.
template <typename Traits>
class UniqueHandle {
 public:
  using Handle = typename Traits::Handle;
  UniqueHandle() = default;
  explicit UniqueHandle(Handle handle) : handle_(handle) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  Handle release() { return std::exchange(handle_, nullptr); }
  void reset(Handle handle = nullptr) {
    if (handle_ != nullptr) Traits::Release(handle_);
    handle_ = handle;
  }

 private:
  Handle handle_ = nullptr;
};

struct WindowTraits {
  using Handle = HWND;
  static void Release(HWND window) {
    if (IsWindow(window)) DestroyWindow(window);
  }
};
struct MenuTraits {
  using Handle = HMENU;
  static void Release(HMENU menu) { DestroyMenu(menu); }
};
struct GdiObjectTraits {
  using Handle = HGDIOBJ;
  static void Release(HGDIOBJ object) { DeleteObject(object); }
};
struct MemoryDcTraits {
  using Handle = HDC;
  static void Release(HDC dc) { DeleteDC(dc); }
};

using UniqueWindow = UniqueHandle<WindowTraits>;
using UniqueMenu = UniqueHandle<MenuTraits>;
using UniqueGdiObject = UniqueHandle<GdiObjectTraits>;
using UniqueMemoryDc = UniqueHandle<MemoryDcTraits>;

// A window's device context from GetDC, released with ReleaseDC.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDc() {
    if (dc_ != nullptr) ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// The device context of one WM_PAINT, between BeginPaint and EndPaint.
class PaintDc {
 public:
  explicit PaintDc(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
  ~PaintDc() { EndPaint(window_, &paint_); }
  PaintDc(const PaintDc&) = delete;
  PaintDc& operator=(const PaintDc&) = delete;
  HDC get() const { return dc_; }
  const PAINTSTRUCT& paint() const { return paint_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

// Selects an object into a device context and puts the previous one back.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~SelectedObject() {
    if (previous_ != nullptr && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// A registered window class, unregistered when the owner goes away.
class WindowClassRegistration {
 public:
  WindowClassRegistration() = default;
  WindowClassRegistration(HINSTANCE instance, const wchar_t* name, ATOM atom)
      : instance_(instance), name_(name), atom_(atom) {}
  ~WindowClassRegistration() {
    if (atom_ != 0) UnregisterClassW(name_, instance_);
  }
  WindowClassRegistration(WindowClassRegistration&& other) noexcept
      : instance_(other.instance_), name_(other.name_), atom_(std::exchange(other.atom_, 0)) {}
  WindowClassRegistration& operator=(WindowClassRegistration&& other) noexcept {
    std::swap(instance_, other.instance_);
    std::swap(name_, other.name_);
    std::swap(atom_, other.atom_);
    return *this;
  }
  WindowClassRegistration(const WindowClassRegistration&) = delete;
  WindowClassRegistration& operator=(const WindowClassRegistration&) = delete;
  bool registered() const { return atom_ != 0; }

 private:
  HINSTANCE instance_ = nullptr;
  const wchar_t* name_ = nullptr;
  ATOM atom_ = 0;
};

}  // namespace ulvo::win32
