#include "Sha1.h"

#include <algorithm>
#include <cstring>

namespace vell::crypto {
namespace {

inline std::uint32_t Rotl(std::uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

inline std::uint32_t LoadBe32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

}  // namespace

void Sha1::Reset() {
  state_ = {0x67452301u, 0xEFCDAB89u, 0x98BADCFEu, 0x10325476u, 0xC3D2E1F0u};
  pendingLength_ = 0;
  totalLength_ = 0;
}

void Sha1::Compress(const std::uint8_t* block) {
  std::uint32_t w[80];
  for (int i = 0; i < 16; ++i) w[i] = LoadBe32(block + 4 * i);
  for (int i = 16; i < 80; ++i) w[i] = Rotl(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
  std::uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3], e = state_[4];
  auto round = [&](std::uint32_t f, std::uint32_t k, std::uint32_t word) {
    const std::uint32_t t = Rotl(a, 5) + f + e + k + word;
    e = d;
    d = c;
    c = Rotl(b, 30);
    b = a;
    a = t;
  };
  // The four stages apart, so no round has to ask which stage it is in.
  for (int i = 0; i < 20; ++i) round((b & c) | (~b & d), 0x5A827999u, w[i]);
  for (int i = 20; i < 40; ++i) round(b ^ c ^ d, 0x6ED9EBA1u, w[i]);
  for (int i = 40; i < 60; ++i) round((b & c) | (b & d) | (c & d), 0x8F1BBCDCu, w[i]);
  for (int i = 60; i < 80; ++i) round(b ^ c ^ d, 0xCA62C1D6u, w[i]);
  state_[0] += a;
  state_[1] += b;
  state_[2] += c;
  state_[3] += d;
  state_[4] += e;
}

void Sha1::Update(const void* data, std::size_t length) {
  auto p = static_cast<const std::uint8_t*>(data);
  totalLength_ += length;
  if (pendingLength_) {
    const std::size_t take = std::min(length, kBlockSize - pendingLength_);
    std::memcpy(pending_.data() + pendingLength_, p, take);
    pendingLength_ += take;
    p += take;
    length -= take;
    if (pendingLength_ < kBlockSize) return;
    Compress(pending_.data());
    pendingLength_ = 0;
  }
  while (length >= kBlockSize) {
    Compress(p);
    p += kBlockSize;
    length -= kBlockSize;
  }
  if (length) {
    std::memcpy(pending_.data(), p, length);
    pendingLength_ = length;
  }
}

Sha1::Digest Sha1::Finish() {
  const std::uint64_t bitLength = totalLength_ * 8;
  const std::uint8_t pad = 0x80;
  Update(&pad, 1);
  const std::uint8_t zero = 0;
  while (pendingLength_ != kBlockSize - 8) Update(&zero, 1);
  std::uint8_t lengthBytes[8];
  for (int i = 0; i < 8; ++i) lengthBytes[i] = static_cast<std::uint8_t>(bitLength >> (56 - 8 * i));
  Update(lengthBytes, 8);
  Digest out{};
  for (int i = 0; i < 5; ++i)
    for (int j = 0; j < 4; ++j) out[4 * i + j] = static_cast<std::uint8_t>(state_[i] >> (24 - 8 * j));
  return out;
}

}  // namespace vell::crypto
