#pragma once
#include "player/loader/BoundedMemory.h"
#include "player/loader/PeHeaders.h"

namespace vell::player {

// Gives the mapped `image` the protections the system would: headers
// read-only and each section as its characteristics ask. Called once the
// loader has written all it writes. An image whose sections share pages
// (alignment below the page size) keeps one protection for everything.
// Raises ELoaderError when a protection cannot be set.
void ProtectSections(const TBoundedMemory& image, const TBoundedMemory& file, const TPeHeaders& headers);

}  // namespace vell::player
