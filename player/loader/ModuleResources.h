#pragma once
#include <windows.h>

#include <array>
#include <cstdint>

namespace vell::player {

// Resource and version look-up straight from a module image in memory, mapped
// by the system or by TDLLLoader alike. Type and Name follow the resource
// convention: an integer id when the high 16 bits are zero, else ANSI text.
// The tables are read only inside the image (SizeOfImage, and only memory
// that can be read), so damaged tables find nothing; a found resource lies
// wholly inside the image.
bool FindModuleResource(HINSTANCE instance, LPCSTR type, LPCSTR name, DWORD& size, void*& data);

// The languages tried, in order: thread, system default, user default, 0, 1033.
std::array<LCID, 5> ResourceLanguageOrder();

// ((major * 256 + minor) * 256 + build) * 256 + revision, in 32-bit arithmetic.
std::uint32_t PackVersion(std::uint32_t productVersionMS, std::uint32_t productVersionLS);

// Packed product version of the image's version resource (id 1), 0 without one.
std::uint32_t GetModuleProductVersion(HINSTANCE instance);

}  // namespace vell::player
