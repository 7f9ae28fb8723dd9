#include "fetch/FileRead.h"

#include <windows.h>

namespace pageplayer {

namespace {

using TCreateFileW = HANDLE(WINAPI*)(LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);
TCreateFileW createFile = nullptr;

constexpr DWORD kLargestFile = 256u << 20;

class TFileHandle {
public:
  explicit TFileHandle(HANDLE handle) : handle_(handle) {}
  TFileHandle(const TFileHandle&) = delete;
  TFileHandle& operator=(const TFileHandle&) = delete;
  ~TFileHandle() {
    if (Valid()) CloseHandle(handle_);
  }
  bool Valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  HANDLE Get() const { return handle_; }

private:
  HANDLE handle_;
};

}  // namespace

void LookUpFileFunctions() {
  if (HMODULE kernel = GetModuleHandleW(L"kernel32.dll")) {
    createFile = reinterpret_cast<TCreateFileW>(reinterpret_cast<void*>(GetProcAddress(kernel, "CreateFileW")));
  }
}

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::wstring& path) {
  if (!createFile) return std::nullopt;
  const TFileHandle file(createFile(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return std::nullopt;
  const DWORD size = GetFileSize(file.Get(), nullptr);
  if (size == INVALID_FILE_SIZE || size > kLargestFile) return std::nullopt;
  if (SetFilePointer(file.Get(), 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) return std::nullopt;
  std::vector<std::uint8_t> bytes(size);
  DWORD total = 0;
  while (total < size) {
    DWORD read = 0;
    if (!ReadFile(file.Get(), bytes.data() + total, size - total, &read, nullptr)) return std::nullopt;
    if (read == 0) break;
    total += read;
  }
  bytes.resize(total);
  return bytes;
}

}  // namespace pageplayer
