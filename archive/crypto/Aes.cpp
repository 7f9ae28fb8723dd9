#include "Aes.h"

#include <stdexcept>

namespace vell::crypto {
namespace {

constexpr std::uint8_t Times2(std::uint8_t x) { return static_cast<std::uint8_t>((x << 1) ^ ((x & 0x80) ? 0x1B : 0)); }

constexpr std::uint8_t Multiply(std::uint8_t a, std::uint8_t b) {
  std::uint8_t product = 0;
  while (b) {
    if (b & 1) product ^= a;
    a = Times2(a);
    b >>= 1;
  }
  return product;
}

constexpr std::uint8_t Rotl8(std::uint8_t x, int n) { return static_cast<std::uint8_t>((x << n) | (x >> (8 - n))); }

// The S-box from its definition: multiplicative inverse in GF(2^8), then the affine map.
constexpr std::array<std::uint8_t, 256> MakeSbox() {
  std::array<std::uint8_t, 256> s{};
  for (int x = 0; x < 256; ++x) {
    std::uint8_t inverse = 0;
    if (x) {
      std::uint8_t power = static_cast<std::uint8_t>(x);  // x^(2^k)
      std::uint8_t acc = 1;
      for (int k = 1; k < 8; ++k) {  // x^254 = x^2 * x^4 * ... * x^128
        power = Multiply(power, power);
        acc = Multiply(acc, power);
      }
      inverse = acc;
    }
    s[x] = static_cast<std::uint8_t>(inverse ^ Rotl8(inverse, 1) ^ Rotl8(inverse, 2) ^ Rotl8(inverse, 3) ^
                                     Rotl8(inverse, 4) ^ 0x63);
  }
  return s;
}

constexpr std::array<std::uint8_t, 256> kSbox = MakeSbox();

constexpr std::uint32_t Rotr32(std::uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

// Round tables: S-box, ShiftRows position and MixColumns in one look-up per byte.
struct RoundTables {
  std::array<std::uint32_t, 256> t0{}, t1{}, t2{}, t3{};
};

constexpr RoundTables MakeRoundTables() {
  RoundTables r{};
  for (int x = 0; x < 256; ++x) {
    const std::uint8_t s = kSbox[x];
    const std::uint32_t word =
        std::uint32_t(Times2(s)) << 24 | std::uint32_t(s) << 16 | std::uint32_t(s) << 8 | std::uint32_t(Multiply(s, 3));
    r.t0[x] = word;
    r.t1[x] = Rotr32(word, 8);
    r.t2[x] = Rotr32(word, 16);
    r.t3[x] = Rotr32(word, 24);
  }
  return r;
}

constexpr RoundTables kTables = MakeRoundTables();

inline std::uint32_t LoadBe32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

inline void StoreBe32(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v >> 24);
  p[1] = static_cast<std::uint8_t>(v >> 16);
  p[2] = static_cast<std::uint8_t>(v >> 8);
  p[3] = static_cast<std::uint8_t>(v);
}

inline std::uint32_t SubWord(std::uint32_t w) {
  return std::uint32_t(kSbox[w >> 24]) << 24 | std::uint32_t(kSbox[(w >> 16) & 0xFF]) << 16 |
         std::uint32_t(kSbox[(w >> 8) & 0xFF]) << 8 | kSbox[w & 0xFF];
}

}  // namespace

AesEncryptor::AesEncryptor(std::span<const std::uint8_t> key) {
  const std::size_t words = key.size() / 4;
  if (key.size() != 16 && key.size() != 24 && key.size() != 32) throw std::invalid_argument("AES key length");
  rounds_ = static_cast<int>(words) + 6;
  const std::size_t total = 4 * (rounds_ + 1);
  for (std::size_t i = 0; i < words; ++i) roundKeys_[i] = LoadBe32(key.data() + 4 * i);
  std::uint8_t roundConstant = 1;
  for (std::size_t i = words; i < total; ++i) {
    std::uint32_t temp = roundKeys_[i - 1];
    if (i % words == 0) {
      temp = SubWord((temp << 8) | (temp >> 24)) ^ (std::uint32_t(roundConstant) << 24);
      roundConstant = Times2(roundConstant);
    } else if (words > 6 && i % words == 4) {
      temp = SubWord(temp);
    }
    roundKeys_[i] = roundKeys_[i - words] ^ temp;
  }
}

void AesEncryptor::EncryptBlock(const std::uint8_t* in, std::uint8_t* out) const {
  const std::uint32_t* rk = roundKeys_.data();
  std::uint32_t s0 = LoadBe32(in) ^ rk[0];
  std::uint32_t s1 = LoadBe32(in + 4) ^ rk[1];
  std::uint32_t s2 = LoadBe32(in + 8) ^ rk[2];
  std::uint32_t s3 = LoadBe32(in + 12) ^ rk[3];
  const auto& t = kTables;
  for (int round = 1; round < rounds_; ++round) {
    rk += 4;
    const std::uint32_t u0 =
        t.t0[s0 >> 24] ^ t.t1[(s1 >> 16) & 0xFF] ^ t.t2[(s2 >> 8) & 0xFF] ^ t.t3[s3 & 0xFF] ^ rk[0];
    const std::uint32_t u1 =
        t.t0[s1 >> 24] ^ t.t1[(s2 >> 16) & 0xFF] ^ t.t2[(s3 >> 8) & 0xFF] ^ t.t3[s0 & 0xFF] ^ rk[1];
    const std::uint32_t u2 =
        t.t0[s2 >> 24] ^ t.t1[(s3 >> 16) & 0xFF] ^ t.t2[(s0 >> 8) & 0xFF] ^ t.t3[s1 & 0xFF] ^ rk[2];
    const std::uint32_t u3 =
        t.t0[s3 >> 24] ^ t.t1[(s0 >> 16) & 0xFF] ^ t.t2[(s1 >> 8) & 0xFF] ^ t.t3[s2 & 0xFF] ^ rk[3];
    s0 = u0;
    s1 = u1;
    s2 = u2;
    s3 = u3;
  }
  rk += 4;
  auto last = [](std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d) {
    return std::uint32_t(kSbox[a >> 24]) << 24 | std::uint32_t(kSbox[(b >> 16) & 0xFF]) << 16 |
           std::uint32_t(kSbox[(c >> 8) & 0xFF]) << 8 | kSbox[d & 0xFF];
  };
  StoreBe32(out, last(s0, s1, s2, s3) ^ rk[0]);
  StoreBe32(out + 4, last(s1, s2, s3, s0) ^ rk[1]);
  StoreBe32(out + 8, last(s2, s3, s0, s1) ^ rk[2]);
  StoreBe32(out + 12, last(s3, s0, s1, s2) ^ rk[3]);
}

}  // namespace vell::crypto
