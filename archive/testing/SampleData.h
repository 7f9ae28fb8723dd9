// Entry contents for tests: text-like bytes that deflate shrinks, but not
// trivially (words, numbers and now and then a stray byte).
#pragma once

#include <cstddef>
#include <string>

namespace testsupport {

// The same size and seed give the same bytes.
std::string SampleData(std::size_t size, unsigned seed);

}  // namespace testsupport
