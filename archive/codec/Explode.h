#pragma once

#include <cstdint>

#include "ByteIo.h"

namespace vell::codec {

// Decodes PKWARE "imploded" data (method 6). Flag bit 1 selects the 8 KiB
// window (else 4 KiB), flag bit 2 the literal tree (three Shannon-Fano trees,
// else two). Stops after `size` bytes, at the end of the input or at the first
// code that no tree knows.
void Explode(ByteSource& input, ByteSink& output, std::uint16_t flags, std::uint64_t size);

}  // namespace vell::codec
