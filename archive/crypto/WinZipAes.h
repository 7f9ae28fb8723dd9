#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

#include "Aes.h"
#include "HmacSha1.h"

namespace vell::crypto {

// Decryption of WinZip AES entries (AE-1 and AE-2): PBKDF2-HMAC-SHA1 key
// derivation, AES in the little-endian counter mode of that format, and the
// HMAC-SHA1 authentication code over the ciphertext.
class WinZipAesDecryptor {
public:
  static constexpr std::size_t kVerifierSize = 2;
  static constexpr std::size_t kAuthCodeSize = 10;
  static constexpr unsigned kIterations = 1000;
  static constexpr std::size_t kMaxPasswordLength = 128;
  using AuthCode = std::array<std::uint8_t, kAuthCodeSize>;

  // Strength 1, 2, 3 = 128-, 192-, 256-bit keys; 0 for anything else.
  static std::size_t KeyLength(int strength);
  static std::size_t SaltLength(int strength) { return KeyLength(strength) / 2; }

  // Derives the keys and checks the password verifier. Null when the verifier
  // differs, the strength is unknown or the password is longer than 128 bytes.
  static std::unique_ptr<WinZipAesDecryptor> Open(std::string_view password, int strength,
                                                  std::span<const std::uint8_t> salt,
                                                  std::span<const std::uint8_t> verifier);

  // Authenticates and decrypts ciphertext in place.
  void Decrypt(std::uint8_t* data, std::size_t length);
  // Only takes ciphertext into the authentication code (when someone else decrypts).
  void Authenticate(const std::uint8_t* data, std::size_t length) { mac_.Update(data, length); }
  // The first ten bytes of the HMAC over all ciphertext passed to Decrypt.
  AuthCode AuthenticationCode();

private:
  WinZipAesDecryptor(std::span<const std::uint8_t> aesKey, std::span<const std::uint8_t> macKey);

  AesEncryptor cipher_;
  HmacSha1 mac_;
  std::uint64_t counter_ = 0;
  AesEncryptor::Block keyStream_{};
  std::size_t keyStreamUsed_ = AesEncryptor::kBlockSize;
};

}  // namespace vell::crypto
