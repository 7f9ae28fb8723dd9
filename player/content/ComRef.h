// A counted COM reference that releases itself.
#pragma once
#include <unknwn.h>

#include <utility>

namespace vell::player {

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
  // Hands the reference to the caller.
  T* Detach() { return std::exchange(pointer_, nullptr); }

private:
  T* pointer_ = nullptr;
};

}  // namespace vell::player
