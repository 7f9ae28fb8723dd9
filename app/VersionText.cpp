#include "VersionText.h"

#include <cstdio>

namespace {
constexpr std::uint32_t kPreReleaseFlag = 0x2;  // VS_FF_PRERELEASE
}

std::string FormatVersionText(std::uint32_t fileVersionMS, std::uint32_t fileVersionLS, std::uint32_t fileFlags) {
  char text[64];
  const int n = std::snprintf(text, sizeof text, "%u.%u.%u %s", static_cast<unsigned>(fileVersionMS >> 16),
                              static_cast<unsigned>(fileVersionMS & 0xFFFF), static_cast<unsigned>(fileVersionLS >> 16),
                              (fileFlags & kPreReleaseFlag) ? "Beta" : "");
  if (n < 0 || n >= static_cast<int>(sizeof text)) return "INVALID";
  return text;
}
