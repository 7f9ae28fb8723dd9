#pragma once

#include "ByteIo.h"

namespace vell::codec {

// Decodes PKWARE "shrunk" data (method 1): LZW with 9- to 13-bit codes, an
// 8192-entry table and partial clearing. Runs until the input is used up;
// malformed codes end the decoding early (the entry's CRC then tells).
void Unshrink(ByteSource& input, ByteSink& output);

}  // namespace vell::codec
