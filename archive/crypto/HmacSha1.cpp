#include "HmacSha1.h"

#include <algorithm>
#include <cstring>

namespace vell::crypto {

HmacSha1::HmacSha1(const void* key, std::size_t keyLength) {
  std::array<std::uint8_t, Sha1::kBlockSize> block{};
  if (keyLength > Sha1::kBlockSize) {
    const auto digest = Sha1::Of(key, keyLength);
    std::memcpy(block.data(), digest.data(), digest.size());
  } else if (keyLength) {
    std::memcpy(block.data(), key, keyLength);
  }
  for (std::size_t i = 0; i < block.size(); ++i) {
    innerPad_[i] = block[i] ^ 0x36;
    outerPad_[i] = block[i] ^ 0x5C;
  }
  Restart();
}

void HmacSha1::Restart() {
  inner_.Reset();
  inner_.Update(innerPad_.data(), innerPad_.size());
}

Sha1::Digest HmacSha1::Finish() {
  const auto innerDigest = inner_.Finish();
  Sha1 outer;
  outer.Update(outerPad_.data(), outerPad_.size());
  outer.Update(innerDigest.data(), innerDigest.size());
  return outer.Finish();
}

void Pbkdf2HmacSha1(std::span<const std::uint8_t> password, std::span<const std::uint8_t> salt, unsigned iterations,
                    std::span<std::uint8_t> out) {
  HmacSha1 prf(password.data(), password.size());
  std::uint32_t blockIndex = 1;
  for (std::size_t done = 0; done < out.size(); ++blockIndex) {
    const std::uint8_t indexBytes[4] = {
        static_cast<std::uint8_t>(blockIndex >> 24), static_cast<std::uint8_t>(blockIndex >> 16),
        static_cast<std::uint8_t>(blockIndex >> 8), static_cast<std::uint8_t>(blockIndex)};
    prf.Restart();
    prf.Update(salt.data(), salt.size());
    prf.Update(indexBytes, sizeof indexBytes);
    auto u = prf.Finish();
    auto t = u;
    for (unsigned i = 1; i < iterations; ++i) {
      prf.Restart();
      prf.Update(u.data(), u.size());
      u = prf.Finish();
      for (std::size_t k = 0; k < t.size(); ++k) t[k] ^= u[k];
    }
    const std::size_t take = std::min(t.size(), out.size() - done);
    std::memcpy(out.data() + done, t.data(), take);
    done += take;
  }
}

}  // namespace vell::crypto
