#pragma once
#include <windows.h>

#include <vector>

#include "player/loader/BoundedMemory.h"
#include "player/loader/PeHeaders.h"

namespace vell::player {

// The TLS callbacks of a mapped and relocated image, in list order; the
// system runs them before the entry point for every reason. Raises
// ELoaderError when the list or a callback lies outside the image.
std::vector<PIMAGE_TLS_CALLBACK> TlsCallbacks(const TBoundedMemory& image, const TPeHeaders& headers);

}  // namespace vell::player
