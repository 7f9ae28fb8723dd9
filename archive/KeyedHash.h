// SipHash under a key drawn once per process. Names that a book's author
// chose cannot be made to meet in it, as they can in a fixed public hash, so
// no archive can turn the name index's constant-time questions into walks.
#pragma once

#include <cstdint>
#include <string_view>

struct TSipKey {
  std::uint64_t k0 = 0;
  std::uint64_t k1 = 0;
};

// SipHash-c-d of data: compressionRounds per 8-byte word, finalRounds at the end.
std::uint64_t SipHash(const TSipKey& key, std::string_view data, int compressionRounds, int finalRounds);

// SipHash-1-3 of name under this process's key.
std::uint64_t NameHash(std::string_view name);
