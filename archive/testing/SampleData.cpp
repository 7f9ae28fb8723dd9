#include "SampleData.h"

#include <iterator>
#include <random>

namespace testsupport {

std::string SampleData(std::size_t size, unsigned seed) {
  static const char* const words[] = {"page ", "book ", "turn ", "reader ", "movie ", "\r\n", "zip ", "vell ", "files/"};
  std::mt19937 rng(seed);
  std::string out;
  out.reserve(size + 16);
  while (out.size() < size) {
    out += words[rng() % std::size(words)];
    if (rng() % 4 == 0) out += std::to_string(rng() % 100000);
    if (rng() % 7 == 0) out += static_cast<char>(rng());
  }
  out.resize(size);
  return out;
}

}  // namespace testsupport
