#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace vell::crypto {

// The AES block cipher, encryption direction only (counter mode needs no more).
class AesEncryptor {
public:
  static constexpr std::size_t kBlockSize = 16;
  using Block = std::array<std::uint8_t, kBlockSize>;

  // Key of 16, 24 or 32 bytes; other lengths throw std::invalid_argument.
  explicit AesEncryptor(std::span<const std::uint8_t> key);

  void EncryptBlock(const std::uint8_t* in, std::uint8_t* out) const;
  Block Encrypt(const Block& in) const {
    Block out{};
    EncryptBlock(in.data(), out.data());
    return out;
  }

private:
  std::array<std::uint32_t, 60> roundKeys_{};
  int rounds_ = 0;
};

}  // namespace vell::crypto
