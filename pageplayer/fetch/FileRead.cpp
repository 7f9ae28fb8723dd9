#include "fetch/FileRead.h"

#include <algorithm>
#include <utility>

namespace pageplayer {

namespace {

using TCreateFileW = HANDLE(WINAPI*)(LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);
TCreateFileW createFile = nullptr;

constexpr DWORD kLargestFile = 256u << 20;

// Small enough to read (and page in) well within a frame on a slow machine,
// large enough that the calls themselves cost nothing worth counting.
constexpr DWORD kSliceBytes = 256u << 10;

double Milliseconds() {
  static const double ticksPerMillisecond = [] {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(frequency.QuadPart) / 1000.0;
  }();
  LARGE_INTEGER count;
  QueryPerformanceCounter(&count);
  return static_cast<double>(count.QuadPart) / ticksPerMillisecond;
}

}  // namespace

void LookUpFileFunctions() {
  if (HMODULE kernel = GetModuleHandleW(L"kernel32.dll")) {
    createFile = reinterpret_cast<TCreateFileW>(reinterpret_cast<void*>(GetProcAddress(kernel, "CreateFileW")));
  }
}

TFileRead::TFileRead(TFileRead&& other) noexcept
    : file_(std::exchange(other.file_, INVALID_HANDLE_VALUE)),
      size_(std::exchange(other.size_, 0)),
      bytes_(std::move(other.bytes_)) {}

TFileRead& TFileRead::operator=(TFileRead&& other) noexcept {
  if (this != &other) {
    Close();
    file_ = std::exchange(other.file_, INVALID_HANDLE_VALUE);
    size_ = std::exchange(other.size_, 0);
    bytes_ = std::move(other.bytes_);
  }
  return *this;
}

void TFileRead::Close() {
  if (file_ != INVALID_HANDLE_VALUE && file_ != nullptr) CloseHandle(file_);
  file_ = INVALID_HANDLE_VALUE;
}

bool TFileRead::Open(const std::wstring& path, std::vector<std::uint8_t> buffer) {
  Close();
  bytes_ = std::move(buffer);
  bytes_.clear();
  size_ = 0;
  if (!createFile) return false;
  const HANDLE file =
      createFile(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE || file == nullptr) return false;
  file_ = file;
  const DWORD size = GetFileSize(file_, nullptr);
  if (size == INVALID_FILE_SIZE || size > kLargestFile ||
      SetFilePointer(file_, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) {
    Close();
    return false;
  }
  size_ = size;
  // Only reserved: the pages of the buffer are touched slice by slice.
  bytes_.reserve(size_);
  return true;
}

TFileRead::Progress TFileRead::ReadFor(double budgetMilliseconds) {
  if (file_ == INVALID_HANDLE_VALUE) return Progress::Failed;
  const double end = Milliseconds() + budgetMilliseconds;
  do {
    const std::size_t done = bytes_.size();
    if (done >= size_) return Progress::Done;
    const DWORD slice = static_cast<DWORD>(std::min<std::size_t>(kSliceBytes, size_ - done));
    bytes_.resize(done + slice);
    DWORD read = 0;
    if (!ReadFile(file_, bytes_.data() + done, slice, &read, nullptr)) {
      Close();
      return Progress::Failed;
    }
    bytes_.resize(done + read);
    // A file that ends early (it shrank since it was opened) is what it is.
    if (read == 0) size_ = bytes_.size();
  } while (Milliseconds() < end);
  return bytes_.size() >= size_ ? Progress::Done : Progress::More;
}

std::vector<std::uint8_t> TFileRead::TakeBytes() {
  Close();
  size_ = 0;
  return std::exchange(bytes_, {});
}

}  // namespace pageplayer
