// A target stream that keeps nothing: what is written, in order from the
// start, goes straight on to another stream. A writer that needs a stream
// it may seek in (to learn its position or size) can so feed a stream that
// only takes writes, without a copy of the data in between.
#pragma once

#include "ForwardOnlyStream.h"

class TPassOnStream : public TForwardOnlyStream {
public:
  explicit TPassOnStream(TStream& target) : target_(target) {}

protected:
  std::size_t Take(const void* buffer, std::size_t count) override { return target_.Write(buffer, count); }

private:
  TStream& target_;
};
