#include "player/loader/ExceptionTable.h"

#include <utility>

namespace vell::player {

TRegisteredExceptionTable::TRegisteredExceptionTable(const TBoundedMemory& image, const TPeHeaders& headers) {
  const IMAGE_DATA_DIRECTORY directory = headers.Directory(IMAGE_DIRECTORY_ENTRY_EXCEPTION);
  if (directory.VirtualAddress == 0 || directory.Size == 0) return;
  void* table = image.Bytes(directory.VirtualAddress, directory.Size, "the exception table");
#if defined(_WIN64)
  const auto count = static_cast<DWORD>(directory.Size / sizeof(RUNTIME_FUNCTION));
  if (!RtlAddFunctionTable(static_cast<PRUNTIME_FUNCTION>(table), count,
                           reinterpret_cast<DWORD64>(image.Begin()))) {
    throw ELoaderError("the system refused the module's exception table");
  }
  table_ = table;
#else
  (void)table;
#endif
}

TRegisteredExceptionTable::~TRegisteredExceptionTable() { Remove(); }

TRegisteredExceptionTable::TRegisteredExceptionTable(TRegisteredExceptionTable&& other) noexcept
    : table_(std::exchange(other.table_, nullptr)) {}

TRegisteredExceptionTable& TRegisteredExceptionTable::operator=(TRegisteredExceptionTable&& other) noexcept {
  if (this != &other) {
    Remove();
    table_ = std::exchange(other.table_, nullptr);
  }
  return *this;
}

void TRegisteredExceptionTable::Remove() noexcept {
#if defined(_WIN64)
  if (table_) RtlDeleteFunctionTable(static_cast<PRUNTIME_FUNCTION>(table_));
#endif
  table_ = nullptr;
}

}  // namespace vell::player
