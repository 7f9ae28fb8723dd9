#include "player/content/StreamBasedOnIStream.h"

#include <algorithm>
#include <limits>

namespace vell::player {

namespace {
// IStream counts are 32-bit; a larger request goes in pieces.
constexpr std::size_t kLargestPiece = std::numeric_limits<ULONG>::max();
}  // namespace

std::size_t TStreamBasedOnIStream::Read(void* buffer, std::size_t count) {
  std::size_t total = 0;
  while (total < count) {
    const ULONG piece = static_cast<ULONG>(std::min(count - total, kLargestPiece));
    ULONG read = 0;
    stream_->Read(static_cast<char*>(buffer) + total, piece, &read);
    total += read;
    if (read < piece) break;
  }
  return total;
}

std::size_t TStreamBasedOnIStream::Write(const void* buffer, std::size_t count) {
  std::size_t total = 0;
  do {
    const ULONG piece = static_cast<ULONG>(std::min(count - total, kLargestPiece));
    ULONG written = 0;
    stream_->Write(static_cast<const char*>(buffer) + total, piece, &written);
    total += written;
    if (written < piece) break;
  } while (total < count);
  return total;
}

std::int64_t TStreamBasedOnIStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  LARGE_INTEGER move;
  move.QuadPart = offset;
  ULARGE_INTEGER position{};
  stream_->Seek(move, static_cast<DWORD>(origin), &position);
  return static_cast<std::int64_t>(position.QuadPart);
}

void TStreamBasedOnIStream::SetSize(std::int64_t newSize) {
  ULARGE_INTEGER size;
  size.QuadPart = static_cast<ULONGLONG>(newSize);
  stream_->SetSize(size);
}

}  // namespace vell::player
