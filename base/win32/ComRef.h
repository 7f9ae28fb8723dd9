// A counted COM reference that releases itself: the one COM pointer type of
// the reader's side.
#pragma once
#include <unknwn.h>

#include <utility>

template <typename T>
class TComRef {
public:
  TComRef() = default;
  // Takes over a reference the caller already holds.
  static TComRef Adopt(T* pointer) {
    TComRef ref;
    ref.pointer_ = pointer;
    return ref;
  }
  // Adds a reference of its own.
  static TComRef Share(T* pointer) {
    if (pointer) pointer->AddRef();
    return Adopt(pointer);
  }
  TComRef(const TComRef& other) : pointer_(other.pointer_) {
    if (pointer_) pointer_->AddRef();
  }
  TComRef(TComRef&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
  TComRef& operator=(TComRef other) noexcept {
    std::swap(pointer_, other.pointer_);
    return *this;
  }
  ~TComRef() { Reset(); }

  void Reset() noexcept {
    if (T* old = std::exchange(pointer_, nullptr)) old->Release();
  }
  T* Get() const { return pointer_; }
  T* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }
  // For out-parameters: drops what it held first.
  T** Out() {
    Reset();
    return &pointer_;
  }
  void** OutVoid() { return reinterpret_cast<void**>(Out()); }
  // Hands the reference to the caller.
  T* Detach() { return std::exchange(pointer_, nullptr); }

  // Queries `from` for this reference's interface; empty on failure.
  HRESULT QueryFrom(IUnknown* from, REFIID interfaceId) {
    Reset();
    return from ? from->QueryInterface(interfaceId, OutVoid()) : E_POINTER;
  }

private:
  T* pointer_ = nullptr;
};
