#include "KeyedHash.h"

#include <chrono>
#include <random>

namespace {

constexpr std::uint64_t RotateLeft(std::uint64_t x, int bits) { return (x << bits) | (x >> (64 - bits)); }

struct TSipState {
  std::uint64_t v0, v1, v2, v3;

  void Rounds(int count) {
    for (int i = 0; i < count; ++i) {
      v0 += v1;
      v1 = RotateLeft(v1, 13);
      v1 ^= v0;
      v0 = RotateLeft(v0, 32);
      v2 += v3;
      v3 = RotateLeft(v3, 16);
      v3 ^= v2;
      v0 += v3;
      v3 = RotateLeft(v3, 21);
      v3 ^= v0;
      v2 += v1;
      v1 = RotateLeft(v1, 17);
      v1 ^= v2;
      v2 = RotateLeft(v2, 32);
    }
  }

  void Absorb(std::uint64_t word, int rounds) {
    v3 ^= word;
    Rounds(rounds);
    v0 ^= word;
  }
};

std::uint64_t LittleEndianWord(const unsigned char* bytes, std::size_t count) {
  std::uint64_t word = 0;
  for (std::size_t i = 0; i < count; ++i) word |= static_cast<std::uint64_t>(bytes[i]) << (8 * i);
  return word;
}

TSipKey DrawProcessKey() {
  TSipKey key;
  try {
    std::random_device device;
    key.k0 = (static_cast<std::uint64_t>(device()) << 32) ^ device();
    key.k1 = (static_cast<std::uint64_t>(device()) << 32) ^ device();
  } catch (...) {
    // Without a source of randomness the clock and an address still keep
    // the key from being known in advance.
    key.k0 = static_cast<std::uint64_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count());
    key.k1 = reinterpret_cast<std::uintptr_t>(&key) * 0x9E3779B97F4A7C15ull;
  }
  return key;
}

}  // namespace

std::uint64_t SipHash(const TSipKey& key, std::string_view data, int compressionRounds, int finalRounds) {
  TSipState s{key.k0 ^ 0x736f6d6570736575ull, key.k1 ^ 0x646f72616e646f6dull, key.k0 ^ 0x6c7967656e657261ull,
              key.k1 ^ 0x7465646279746573ull};
  const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
  const std::size_t whole = data.size() / 8 * 8;
  for (std::size_t at = 0; at < whole; at += 8) s.Absorb(LittleEndianWord(bytes + at, 8), compressionRounds);
  const std::uint64_t lengthByte = static_cast<std::uint64_t>(data.size()) << 56;
  s.Absorb(lengthByte | LittleEndianWord(bytes + whole, data.size() - whole), compressionRounds);
  s.v2 ^= 0xff;
  s.Rounds(finalRounds);
  return s.v0 ^ s.v1 ^ s.v2 ^ s.v3;
}

std::uint64_t NameHash(std::string_view name) {
  static const TSipKey key = DrawProcessKey();
  return SipHash(key, name, 1, 3);
}
