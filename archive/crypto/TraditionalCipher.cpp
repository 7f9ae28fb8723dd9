#include "TraditionalCipher.h"

#include "../codec/Crc32.h"

namespace vell::crypto {

TraditionalCipher::TraditionalCipher(std::string_view password) : keys_{0x12345678u, 0x23456789u, 0x34567890u} {
  for (const char c : password) UpdateKeys(static_cast<std::uint8_t>(c));
}

void TraditionalCipher::UpdateKeys(std::uint8_t plain) {
  // The key schedule runs the CRC register without its usual complements.
  keys_[0] = codec::Crc32UpdateByte(keys_[0], plain);
  keys_[1] = (keys_[1] + (keys_[0] & 0xFF)) * 134775813u + 1;
  keys_[2] = codec::Crc32UpdateByte(keys_[2], static_cast<std::uint8_t>(keys_[1] >> 24));
}

}  // namespace vell::crypto
