// A stream of the reader's hierarchy over a COM IStream. It keeps no position
// of its own and reports what the IStream reports, without judging its result
// codes: a refused write shows as a short count.
#pragma once
#include <windows.h>
#include <objidl.h>

#include "Stream.h"
#include "ComRef.h"

namespace vell::player {

class TStreamBasedOnIStream : public TStream {
public:
  explicit TStreamBasedOnIStream(IStream* stream) : stream_(TComRef<IStream>::Share(stream)) {}

  std::size_t Read(void* buffer, std::size_t count) override;
  std::size_t Write(const void* buffer, std::size_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  void SetSize(std::int64_t newSize) override;

private:
  TComRef<IStream> stream_;
};

}  // namespace vell::player
