#pragma once
#include <windows.h>

#include <cstdint>

#include "player/loader/BoundedMemory.h"
#include "player/loader/PeHeaders.h"

namespace vell::player {

// A 64-bit module's exception table (.pdata) made known to the system for
// as long as this object lives, so that C++ exceptions and processor faults
// in the mapped code unwind as in a module the system loaded. 32-bit code
// chains its handlers on the stack and has no table to register.
class TRegisteredExceptionTable {
public:
  TRegisteredExceptionTable() = default;
  // Raises ELoaderError when the table lies outside the image or the system
  // refuses it.
  TRegisteredExceptionTable(const TBoundedMemory& image, const TPeHeaders& headers);
  ~TRegisteredExceptionTable();
  TRegisteredExceptionTable(TRegisteredExceptionTable&& other) noexcept;
  TRegisteredExceptionTable& operator=(TRegisteredExceptionTable&& other) noexcept;

private:
  void Remove() noexcept;
  void* table_ = nullptr;
};

}  // namespace vell::player
