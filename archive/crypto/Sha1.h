#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace vell::crypto {

// SHA-1 message digest, fed in pieces.
class Sha1 {
public:
  static constexpr std::size_t kDigestSize = 20;
  static constexpr std::size_t kBlockSize = 64;
  using Digest = std::array<std::uint8_t, kDigestSize>;

  Sha1() { Reset(); }
  void Reset();
  void Update(const void* data, std::size_t length);
  Digest Finish();  // the object must be Reset before reuse

  static Digest Of(const void* data, std::size_t length) {
    Sha1 h;
    h.Update(data, length);
    return h.Finish();
  }

private:
  void Compress(const std::uint8_t* block);

  std::array<std::uint32_t, 5> state_{};
  std::array<std::uint8_t, kBlockSize> pending_{};
  std::size_t pendingLength_ = 0;
  std::uint64_t totalLength_ = 0;
};

}  // namespace vell::crypto
