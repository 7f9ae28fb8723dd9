#include "WinZipAes.h"

#include <algorithm>
#include <vector>

namespace vell::crypto {

std::size_t WinZipAesDecryptor::KeyLength(int strength) {
  switch (strength) {
    case 1:
      return 16;
    case 2:
      return 24;
    case 3:
      return 32;
    default:
      return 0;
  }
}

std::unique_ptr<WinZipAesDecryptor> WinZipAesDecryptor::Open(std::string_view password, int strength,
                                                             std::span<const std::uint8_t> salt,
                                                             std::span<const std::uint8_t> verifier) {
  const std::size_t keyLength = KeyLength(strength);
  if (keyLength == 0 || password.size() > kMaxPasswordLength || salt.size() != SaltLength(strength) ||
      verifier.size() != kVerifierSize)
    return nullptr;
  std::vector<std::uint8_t> derived(2 * keyLength + kVerifierSize);
  Pbkdf2HmacSha1({reinterpret_cast<const std::uint8_t*>(password.data()), password.size()}, salt, kIterations, derived);
  if (!std::equal(verifier.begin(), verifier.end(), derived.begin() + 2 * keyLength)) return nullptr;
  const std::span<const std::uint8_t> all(derived);
  return std::unique_ptr<WinZipAesDecryptor>(
      new WinZipAesDecryptor(all.subspan(0, keyLength), all.subspan(keyLength, keyLength)));
}

WinZipAesDecryptor::WinZipAesDecryptor(std::span<const std::uint8_t> aesKey, std::span<const std::uint8_t> macKey)
    : cipher_(aesKey), mac_(macKey.data(), macKey.size()) {}

void WinZipAesDecryptor::Decrypt(std::uint8_t* data, std::size_t length) {
  mac_.Update(data, length);
  for (std::size_t i = 0; i < length; ++i) {
    if (keyStreamUsed_ == keyStream_.size()) {
      ++counter_;
      AesEncryptor::Block counterBlock{};
      for (int b = 0; b < 8; ++b) counterBlock[b] = static_cast<std::uint8_t>(counter_ >> (8 * b));
      cipher_.EncryptBlock(counterBlock.data(), keyStream_.data());
      keyStreamUsed_ = 0;
    }
    data[i] ^= keyStream_[keyStreamUsed_++];
  }
}

WinZipAesDecryptor::AuthCode WinZipAesDecryptor::AuthenticationCode() {
  const auto digest = mac_.Finish();
  AuthCode code{};
  std::copy_n(digest.begin(), code.size(), code.begin());
  return code;
}

}  // namespace vell::crypto
