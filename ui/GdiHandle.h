// Owns one GDI object and deletes it when replaced or destroyed.
#pragma once

#include <windows.h>

#include <utility>

namespace ui {

template <typename H>
class GdiHandle {
public:
  GdiHandle() = default;
  explicit GdiHandle(H handle) : handle_(handle) {}
  GdiHandle(const GdiHandle&) = delete;
  GdiHandle& operator=(const GdiHandle&) = delete;
  GdiHandle(GdiHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  GdiHandle& operator=(GdiHandle&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.handle_, nullptr));
    return *this;
  }
  ~GdiHandle() { Reset(); }

  H Get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  void Reset(H handle = nullptr) {
    if (handle_) DeleteObject(handle_);
    handle_ = handle;
  }

private:
  H handle_ = nullptr;
};

// Selects an object into a device context for one scope.
class SelectObjectScope {
public:
  SelectObjectScope(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  SelectObjectScope(const SelectObjectScope&) = delete;
  SelectObjectScope& operator=(const SelectObjectScope&) = delete;
  ~SelectObjectScope() { SelectObject(dc_, old_); }

private:
  HDC dc_;
  HGDIOBJ old_;
};

// A memory device context compatible with another one, deleted with its scope.
class MemoryDC {
public:
  explicit MemoryDC(HDC compatible) : dc_(CreateCompatibleDC(compatible)) {}
  MemoryDC(const MemoryDC&) = delete;
  MemoryDC& operator=(const MemoryDC&) = delete;
  ~MemoryDC() {
    if (dc_) DeleteDC(dc_);
  }
  HDC Get() const { return dc_; }

private:
  HDC dc_;
};

// A window's (or, for no window, the screen's) device context for one scope.
class WindowDC {
public:
  explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  ~WindowDC() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  HDC Get() const { return dc_; }

private:
  HWND window_;
  HDC dc_;
};

// BeginPaint and its EndPaint, which must come even when painting fails.
class PaintScope {
public:
  explicit PaintScope(HWND window) : window_(window), dc_(BeginPaint(window, &ps_)) {}
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  ~PaintScope() { EndPaint(window_, &ps_); }
  HDC Get() const { return dc_; }
  const RECT& Area() const { return ps_.rcPaint; }

private:
  HWND window_;
  PAINTSTRUCT ps_{};
  HDC dc_;
};

}  // namespace ui
