// An owning COM interface pointer: one reference, released when it goes.
#pragma once
#include <unknwn.h>

#include <utility>

namespace vell::player {

template <class T>
class ComPtr {
public:
  ComPtr() = default;
  ComPtr(const ComPtr& other) : p_(other.p_) {
    if (p_) p_->AddRef();
  }
  ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  ComPtr& operator=(ComPtr other) noexcept {
    std::swap(p_, other.p_);
    return *this;
  }
  ~ComPtr() { Reset(); }

  // Takes a reference the caller already holds.
  static ComPtr Attach(T* p) {
    ComPtr result;
    result.p_ = p;
    return result;
  }

  void Reset() {
    if (T* p = std::exchange(p_, nullptr)) p->Release();
  }
  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  // For out parameters: releases what is held first.
  T** Out() {
    Reset();
    return &p_;
  }
  void** OutVoid() { return reinterpret_cast<void**>(Out()); }

  // Queries `from` for this pointer's interface; empty on failure.
  HRESULT QueryFrom(IUnknown* from, REFIID interfaceId) {
    Reset();
    return from ? from->QueryInterface(interfaceId, OutVoid()) : E_POINTER;
  }

private:
  T* p_ = nullptr;
};

}  // namespace vell::player
