// Scope types for system handles: each closes its handle when it goes.
#pragma once
#include <windows.h>

#include <memory>
#include <type_traits>

struct TRegistryKeyClose {
  void operator()(HKEY key) const noexcept { RegCloseKey(key); }
};
using TRegistryKey = std::unique_ptr<std::remove_pointer_t<HKEY>, TRegistryKeyClose>;

struct TFileHandleClose {
  void operator()(HANDLE file) const noexcept {
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  }
};
using TFileHandle = std::unique_ptr<void, TFileHandleClose>;

// Kernel objects that CloseHandle closes and that are never INVALID_HANDLE_VALUE
// (events, threads).
struct TKernelHandleClose {
  void operator()(HANDLE object) const noexcept { CloseHandle(object); }
};
using TKernelHandle = std::unique_ptr<void, TKernelHandleClose>;
