// The program's version as the About box shows it: "major.minor.release ",
// followed by "Beta" for a pre-release build.
#pragma once

#include <cstdint>
#include <string>

// From the fixed file information of a version resource.
std::string FormatVersionText(std::uint32_t fileVersionMS, std::uint32_t fileVersionLS, std::uint32_t fileFlags);

#ifdef _WIN32
// Of the running executable; "0.0.0 " when it carries no version resource.
std::string GetVersionText();
#endif
