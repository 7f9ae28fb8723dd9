// The two ends of decoding one entry: its compressed bytes coming out of the
// archive (decrypted where needed) and its uncompressed bytes going into the
// caller's stream (guarded, checksummed, reported).
#pragma once

#include <cstdint>
#include <memory>

#include "codec/ByteIo.h"
#include "crypto/TraditionalCipher.h"
#include "crypto/WinZipAes.h"

class TStream;
class TUnpackSession;

// Whichever cipher an entry's key check established (none for plain entries).
struct TEntryDecryption {
  std::unique_ptr<vell::crypto::TraditionalCipher> traditional;
  std::unique_ptr<vell::crypto::WinZipAesDecryptor> aes;

  bool Active() const { return traditional || aes; }
};

class TEntryInput : public vell::codec::ByteSource {
public:
  static constexpr std::size_t BlockSize = 32768;

  // buffer holds at least min(BlockSize, remaining) bytes; remaining is the
  // entry's data after any encryption header (and before an AES
  // authentication code).
  TEntryInput(TUnpackSession& session, std::uint8_t* buffer, std::int64_t remaining, TEntryDecryption& decryption);

  // Yields to window messages, then reads and decrypts up to BlockSize bytes.
  // A short read raises "Premature end of file reached".
  std::span<const std::uint8_t> NextBlock() override;
  // Reads (and authenticates) whatever the decoder left unread.
  void Drain();

private:
  TUnpackSession& session_;
  std::uint8_t* buffer_;
  std::int64_t remaining_;
  TEntryDecryption& decryption_;
};

class TEntryOutput : public vell::codec::ByteSink {
public:
  TEntryOutput(TUnpackSession& session, TStream& target, std::uint64_t uncompressedSize);

  // Writes to the target, refusing to go past the announced size
  // (EBiggerThanUncompressed) and treating a short write as ECantWriteUCF.
  void Put(const std::uint8_t* data, std::size_t length) override;

  std::uint32_t Crc() const;  // of everything written, complemented
  std::uint64_t Written() const { return written_; }

private:
  TUnpackSession& session_;
  TStream& target_;
  std::uint64_t uncompressedSize_;
  std::uint64_t written_ = 0;
  std::uint32_t crc_;
};
