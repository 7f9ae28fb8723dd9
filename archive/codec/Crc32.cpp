#include "Crc32.h"

#include <array>
#include <cstring>

#if defined(__i386__) || defined(__x86_64__)
#define VELL_CRC32_CLMUL 1
#include <immintrin.h>
#endif

namespace vell::codec {
namespace {

constexpr std::uint32_t kPolynomial = 0xEDB88320u;
constexpr int kSlices = 16;

using SliceTables = std::array<std::array<std::uint32_t, 256>, kSlices>;

constexpr SliceTables MakeTables() {
  SliceTables t{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? (c >> 1) ^ kPolynomial : c >> 1;
    t[0][n] = c;
  }
  for (std::uint32_t n = 0; n < 256; ++n)
    for (int s = 1; s < kSlices; ++s) t[s][n] = (t[s - 1][n] >> 8) ^ t[0][t[s - 1][n] & 0xFF];
  return t;
}

constexpr SliceTables kTables = MakeTables();

inline std::uint32_t LoadLe32(const unsigned char* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

std::uint32_t UpdateBytewise(std::uint32_t crc, const unsigned char* p, std::size_t n) {
  while (n--) crc = (crc >> 8) ^ kTables[0][(crc ^ *p++) & 0xFF];
  return crc;
}

// Sixteen bytes per step with independent table look-ups: the portable path,
// several times faster than the byte loop.
std::uint32_t UpdateSliced(std::uint32_t crc, const unsigned char* p, std::size_t n) {
  while (n >= 16) {
    const std::uint32_t a = LoadLe32(p) ^ crc;
    const std::uint32_t b = LoadLe32(p + 4);
    const std::uint32_t c = LoadLe32(p + 8);
    const std::uint32_t d = LoadLe32(p + 12);
    crc = kTables[15][a & 0xFF] ^ kTables[14][(a >> 8) & 0xFF] ^ kTables[13][(a >> 16) & 0xFF] ^ kTables[12][a >> 24] ^
          kTables[11][b & 0xFF] ^ kTables[10][(b >> 8) & 0xFF] ^ kTables[9][(b >> 16) & 0xFF] ^ kTables[8][b >> 24] ^
          kTables[7][c & 0xFF] ^ kTables[6][(c >> 8) & 0xFF] ^ kTables[5][(c >> 16) & 0xFF] ^ kTables[4][c >> 24] ^
          kTables[3][d & 0xFF] ^ kTables[2][(d >> 8) & 0xFF] ^ kTables[1][(d >> 16) & 0xFF] ^ kTables[0][d >> 24];
    p += 16;
    n -= 16;
  }
  return UpdateBytewise(crc, p, n);
}

#ifdef VELL_CRC32_CLMUL

__attribute__((target("pclmul,sse4.1"))) inline __m128i FoldInto(__m128i acc, __m128i next, __m128i k) {
  const __m128i lo = _mm_clmulepi64_si128(acc, k, 0x00);
  const __m128i hi = _mm_clmulepi64_si128(acc, k, 0x11);
  return _mm_xor_si128(_mm_xor_si128(hi, next), lo);
}

// Carry-less multiplication folding (four 128-bit lanes, then one, then a
// Barrett reduction) with the bit-reflected constants for this polynomial.
// Needs at least 64 bytes and a multiple of 16.
__attribute__((target("pclmul,sse4.1"))) std::uint32_t UpdateFolded(std::uint32_t crc, const unsigned char* buf,
                                                                    std::size_t len) {
  alignas(16) static const std::uint64_t k1k2[] = {0x0154442bd4ull, 0x01c6e41596ull};
  alignas(16) static const std::uint64_t k3k4[] = {0x01751997d0ull, 0x00ccaa009eull};
  alignas(16) static const std::uint64_t k5k0[] = {0x0163cd6124ull, 0x0000000000ull};
  alignas(16) static const std::uint64_t poly[] = {0x01db710641ull, 0x01f7011641ull};

  __m128i x1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(buf + 0x00));
  __m128i x2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(buf + 0x10));
  __m128i x3 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(buf + 0x20));
  __m128i x4 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(buf + 0x30));
  x1 = _mm_xor_si128(x1, _mm_cvtsi32_si128(static_cast<int>(crc)));
  __m128i x0 = _mm_load_si128(reinterpret_cast<const __m128i*>(k1k2));
  buf += 64;
  len -= 64;

  while (len >= 64) {
    const __m128i x5 = _mm_clmulepi64_si128(x1, x0, 0x00);
    const __m128i x6 = _mm_clmulepi64_si128(x2, x0, 0x00);
    const __m128i x7 = _mm_clmulepi64_si128(x3, x0, 0x00);
    const __m128i x8 = _mm_clmulepi64_si128(x4, x0, 0x00);
    x1 = _mm_clmulepi64_si128(x1, x0, 0x11);
    x2 = _mm_clmulepi64_si128(x2, x0, 0x11);
    x3 = _mm_clmulepi64_si128(x3, x0, 0x11);
    x4 = _mm_clmulepi64_si128(x4, x0, 0x11);
    x1 = _mm_xor_si128(_mm_xor_si128(x1, x5), _mm_loadu_si128(reinterpret_cast<const __m128i*>(buf + 0x00)));
    x2 = _mm_xor_si128(_mm_xor_si128(x2, x6), _mm_loadu_si128(reinterpret_cast<const __m128i*>(buf + 0x10)));
    x3 = _mm_xor_si128(_mm_xor_si128(x3, x7), _mm_loadu_si128(reinterpret_cast<const __m128i*>(buf + 0x20)));
    x4 = _mm_xor_si128(_mm_xor_si128(x4, x8), _mm_loadu_si128(reinterpret_cast<const __m128i*>(buf + 0x30)));
    buf += 64;
    len -= 64;
  }

  x0 = _mm_load_si128(reinterpret_cast<const __m128i*>(k3k4));
  x1 = FoldInto(x1, x2, x0);
  x1 = FoldInto(x1, x3, x0);
  x1 = FoldInto(x1, x4, x0);
  while (len >= 16) {
    x1 = FoldInto(x1, _mm_loadu_si128(reinterpret_cast<const __m128i*>(buf)), x0);
    buf += 16;
    len -= 16;
  }

  // 128 -> 64 bits.
  x2 = _mm_clmulepi64_si128(x1, x0, 0x10);
  x3 = _mm_setr_epi32(~0, 0, ~0, 0);
  x1 = _mm_srli_si128(x1, 8);
  x1 = _mm_xor_si128(x1, x2);
  x0 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(k5k0));
  x2 = _mm_srli_si128(x1, 4);
  x1 = _mm_and_si128(x1, x3);
  x1 = _mm_clmulepi64_si128(x1, x0, 0x00);
  x1 = _mm_xor_si128(x1, x2);

  // Barrett reduction to 32 bits.
  x0 = _mm_load_si128(reinterpret_cast<const __m128i*>(poly));
  x2 = _mm_and_si128(x1, x3);
  x2 = _mm_clmulepi64_si128(x2, x0, 0x10);
  x2 = _mm_and_si128(x2, x3);
  x2 = _mm_clmulepi64_si128(x2, x0, 0x00);
  x1 = _mm_xor_si128(x1, x2);
  return static_cast<std::uint32_t>(_mm_extract_epi32(x1, 1));
}

bool CpuHasClmul() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
}

#endif

}  // namespace

std::uint32_t detail::Crc32UpdatePortable(std::uint32_t crc, const void* data, std::size_t length) noexcept {
  return UpdateSliced(crc, static_cast<const unsigned char*>(data), length);
}

std::uint32_t Crc32Update(std::uint32_t crc, const void* data, std::size_t length) noexcept {
  auto p = static_cast<const unsigned char*>(data);
#ifdef VELL_CRC32_CLMUL
  constexpr std::size_t kFoldingMinimum = 64;
  static const bool useFolding = CpuHasClmul();
  if (useFolding && length >= kFoldingMinimum) {
    const std::size_t folded = length & ~std::size_t(15);
    crc = UpdateFolded(crc, p, folded);
    p += folded;
    length -= folded;
  }
#endif
  return UpdateSliced(crc, p, length);
}

std::uint32_t Crc32UpdateByte(std::uint32_t crc, std::uint8_t byte) noexcept {
  return (crc >> 8) ^ kTables[0][(crc ^ byte) & 0xFF];
}

}  // namespace vell::codec
