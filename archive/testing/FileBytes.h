// Whole files as bytes, for tests that write archives and read results back.
#pragma once

#include <string>

namespace testsupport {

// Raises std::runtime_error when the file cannot be read.
std::string ReadFile(const std::string& path);
// Creates the file's folder first; raises std::runtime_error when the file
// cannot be written whole.
void WriteFile(const std::string& path, const std::string& bytes);

}  // namespace testsupport
