#pragma once

#include <cstdint>

#include "ByteIo.h"

namespace vell::codec {

// Decodes PKWARE "reduced" data (methods 2..5 = compression factors 1..4):
// follower sets, then the run/copy expander. Stops after `size` bytes or when
// the input is used up.
void Unreduce(ByteSource& input, ByteSink& output, int factor, std::uint64_t size);

}  // namespace vell::codec
