#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vell::crypto {

// The original PKWARE stream cipher ("traditional encryption"), decrypting side.
class TraditionalCipher {
public:
  static constexpr std::size_t kHeaderSize = 12;

  explicit TraditionalCipher(std::string_view password);

  std::uint8_t DecryptByte(std::uint8_t cipher) {
    const std::uint8_t plain = cipher ^ KeyStreamByte();
    UpdateKeys(plain);
    return plain;
  }
  void Decrypt(std::uint8_t* data, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i) data[i] = DecryptByte(data[i]);
  }

private:
  std::uint8_t KeyStreamByte() const {
    const std::uint32_t t = (keys_[2] & 0xFFFF) | 2;
    return static_cast<std::uint8_t>((t * (t ^ 1)) >> 8);
  }
  void UpdateKeys(std::uint8_t plain);

  std::uint32_t keys_[3];
};

}  // namespace vell::crypto
