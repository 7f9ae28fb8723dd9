#pragma once
#include <windows.h>
#include <unknwn.h>

#include <atomic>
#include <new>
#include <utility>

#include "PagePlayerModule.h"

namespace pageplayer {

// The reference count every object of the module shares; a live object keeps
// the module loaded.
class TRefCounted {
public:
  TRefCounted(const TRefCounted&) = delete;
  TRefCounted& operator=(const TRefCounted&) = delete;

protected:
  TRefCounted() { AddModuleReference(); }
  virtual ~TRefCounted() { ReleaseModuleReference(); }

  ULONG AddReference() { return ++references_; }
  ULONG ReleaseReference() {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

private:
  std::atomic<ULONG> references_{1};
};

// Hands out one of an object's interfaces with a reference.
template <typename Interface>
HRESULT Hand(Interface* from, void** object) {
  from->AddRef();
  *object = from;
  return S_OK;
}

// Runs a COM method's body: no exception may leave through a COM boundary.
template <typename Body>
HRESULT Guarded(Body body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_FAIL;
  }
}

// An owned COM reference.
template <typename Interface>
class TComPtr {
public:
  TComPtr() = default;
  explicit TComPtr(Interface* adopted) : pointer_(adopted) {}
  TComPtr(const TComPtr& other) : pointer_(other.pointer_) {
    if (pointer_) pointer_->AddRef();
  }
  TComPtr& operator=(TComPtr other) {
    std::swap(pointer_, other.pointer_);
    return *this;
  }
  ~TComPtr() { Reset(); }

  static TComPtr Share(Interface* pointer) {
    if (pointer) pointer->AddRef();
    return TComPtr(pointer);
  }
  template <typename Other>
  static TComPtr Query(Other* from, REFIID id) {
    Interface* found = nullptr;
    if (from && FAILED(from->QueryInterface(id, reinterpret_cast<void**>(&found)))) found = nullptr;
    return TComPtr(found);
  }

  void Reset() {
    if (pointer_) std::exchange(pointer_, nullptr)->Release();
  }
  Interface** Out() {
    Reset();
    return &pointer_;
  }
  Interface* Get() const { return pointer_; }
  Interface* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }

private:
  Interface* pointer_ = nullptr;
};

}  // namespace pageplayer
