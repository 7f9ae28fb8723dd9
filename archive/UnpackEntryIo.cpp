#include "UnpackEntryIo.h"

#include <algorithm>

#include "UnpackSession.h"
#include "codec/Crc32.h"

TEntryInput::TEntryInput(TUnpackSession& session, std::uint8_t* buffer, std::int64_t remaining,
                         TEntryDecryption& decryption)
    : session_(session), buffer_(buffer), remaining_(std::max<std::int64_t>(remaining, 0)), decryption_(decryption) {}

std::span<const std::uint8_t> TEntryInput::NextBlock() {
  if (remaining_ <= 0) return {};
  session_.Yield();
  const auto wanted = static_cast<std::size_t>(std::min<std::int64_t>(BlockSize, remaining_));
  const std::size_t got = session_.ReadArchive(buffer_, wanted);
  remaining_ -= static_cast<std::int64_t>(wanted);
  if (got < wanted) throw EFatalUnzipError(ZipMessages::PrematureEnd);
  if (decryption_.Active()) {
    TZipReader& reader = session_.Reader();
    if (reader.OnDecrypt) {
      if (decryption_.aes) decryption_.aes->Authenticate(buffer_, got);
      reader.OnDecrypt(&reader, buffer_, got, reader.Password());
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

TEntryOutput::TEntryOutput(TUnpackSession& session, TStream& target, std::uint64_t uncompressedSize)
    : session_(session), target_(target), uncompressedSize_(uncompressedSize), crc_(vell::codec::kCrc32Init) {}

void TEntryOutput::Put(const std::uint8_t* data, std::size_t length) {
  if (length > uncompressedSize_ - written_) throw EBiggerThanUncompressed(ZipMessages::BiggerThanUncompressed);
  if (target_.Write(data, length) != length) throw ECantWriteUCF(ZipMessages::CantWriteUCF);
  crc_ = vell::codec::Crc32Update(crc_, data, length);
  written_ += length;
  session_.Progress(written_, uncompressedSize_, length);
}

std::uint32_t TEntryOutput::Crc() const { return vell::codec::Crc32Final(crc_); }
