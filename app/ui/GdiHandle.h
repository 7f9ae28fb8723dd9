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

}  // namespace ui
