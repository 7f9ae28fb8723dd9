#include "UnpackEntryIo.h"

#include <algorithm>
#include <cmath>

#include "ZipReader.h"
#include "codec/Crc32.h"

namespace {

int Percent(std::uint64_t done, std::uint64_t total) {
  if (total == 0) return 0;
  const double percent = std::round(100.0 * static_cast<double>(done) / static_cast<double>(total));
  return static_cast<int>(std::min(100.0, percent));
}

}  // namespace

TEntryInput::TEntryInput(TZipReader& reader, std::uint8_t* buffer, std::int64_t remaining, TEntryDecryption& decryption)
    : reader_(reader), buffer_(buffer), remaining_(std::max<std::int64_t>(remaining, 0)), decryption_(decryption) {}

std::span<const std::uint8_t> TEntryInput::NextBlock() {
  if (remaining_ <= 0) return {};
  if (reader_.doProcessMessages_) reader_.YieldToMessages();
  const auto wanted = static_cast<std::size_t>(std::min<std::int64_t>(BlockSize, remaining_));
  const std::size_t got = reader_.ReadArchive(buffer_, wanted, true);
  remaining_ -= static_cast<std::int64_t>(wanted);
  if (got < wanted) throw EFatalUnzipError(ZipMessages::PrematureEnd);
  if (decryption_.Active()) {
    if (reader_.OnDecrypt) {
      if (decryption_.aes) decryption_.aes->Authenticate(buffer_, got);
      reader_.OnDecrypt(&reader_, buffer_, got, reader_.password_);
    } else if (decryption_.aes) {
      decryption_.aes->Decrypt(buffer_, got);
    } else {
      decryption_.traditional->Decrypt(buffer_, got);
    }
  }
  return {buffer_, got};
}

void TEntryInput::Drain() {
  while (remaining_ > 0) NextBlock();
}

TEntryOutput::TEntryOutput(TZipReader& reader, TStream& target, std::uint64_t uncompressedSize)
    : reader_(reader), target_(target), uncompressedSize_(uncompressedSize), crc_(vell::codec::kCrc32Init) {}

void TEntryOutput::Put(const std::uint8_t* data, std::size_t length) {
  if (length > uncompressedSize_ - written_) throw EBiggerThanUncompressed(ZipMessages::BiggerThanUncompressed);
  if (target_.Write(data, length) != length) throw ECantWriteUCF(ZipMessages::CantWriteUCF);
  crc_ = vell::codec::Crc32Update(crc_, data, length);
  written_ += length;
  reader_.totalDone_ += static_cast<std::int64_t>(length);
  if (reader_.OnFilePercentDone) reader_.OnFilePercentDone(&reader_, Percent(written_, uncompressedSize_));
  if (reader_.OnTotalPercentDone)
    reader_.OnTotalPercentDone(&reader_,
                               Percent(static_cast<std::uint64_t>(std::max<std::int64_t>(reader_.totalDone_, 0)),
                                       static_cast<std::uint64_t>(std::max<std::int64_t>(reader_.totalSize_, 0))));
}

std::uint32_t TEntryOutput::Crc() const { return vell::codec::Crc32Final(crc_); }
