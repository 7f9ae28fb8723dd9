#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "Sha1.h"

namespace vell::crypto {

// HMAC with SHA-1, fed in pieces.
class HmacSha1 {
public:
  HmacSha1(const void* key, std::size_t keyLength);
  void Update(const void* data, std::size_t length) { inner_.Update(data, length); }
  Sha1::Digest Finish();
  // Starts a new message under the same key.
  void Restart();

private:
  std::array<std::uint8_t, Sha1::kBlockSize> innerPad_{};
  std::array<std::uint8_t, Sha1::kBlockSize> outerPad_{};
  Sha1 inner_;
};

// PBKDF2 (RFC 2898) with HMAC-SHA1 as the pseudo-random function; fills `out`.
void Pbkdf2HmacSha1(std::span<const std::uint8_t> password, std::span<const std::uint8_t> salt, unsigned iterations,
                    std::span<std::uint8_t> out);

}  // namespace vell::crypto
