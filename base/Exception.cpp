#include "Exception.h"

#include <cstdio>

std::string FormatWithInt(const char* format, long long value) {
  // The formats carry a single "%d".
  std::string result;
  const std::string text(format);
  const auto at = text.find("%d");
  if (at == std::string::npos) return text;
  return text.substr(0, at) + std::to_string(value) + text.substr(at + 2);
}
