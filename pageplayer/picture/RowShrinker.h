#pragma once
#include <cstdint>
#include <deque>
#include <vector>

#include "Picture.h"
#include "PictureScaling.h"

namespace pageplayer {

// Brings a picture down to a smaller size as its rows arrive, top to bottom,
// each new pixel the average of the source area it covers (partly covered
// pixels weighted by how much of them it covers). A decoder can feed it row
// by row, so a picture decoded larger than it is shown never has to be held
// whole: on a virtual machine, paging in that much fresh memory costs more
// than decoding it.
class TRowShrinker {
public:
  // No side of `target` may be larger than the source's.
  TRowShrinker(TPictureSize source, TPictureSize target);

  // The next row of the source: source.width pixels, 0x00RRGGBB (the top
  // byte is ignored).
  void AddRow(const std::uint32_t* row);
  // The shrunk picture, once every row of the source was added.
  TPicture Take();

private:
  struct TCover {
    int first = 0;
    std::vector<std::uint32_t> weights;
  };
  static std::vector<TCover> CoversOf(int sourceLength, int targetLength);
  void ShrinkRow(const std::uint32_t* row);
  void Emit();

  TPictureSize source_;
  std::vector<TCover> columns_;
  std::vector<TCover> rows_;
  std::uint64_t divisor_;
  int added_ = 0;
  int emitted_ = 0;
  std::vector<std::uint32_t> rowSums_;
  std::deque<std::vector<std::uint64_t>> open_;  // sums of the rows not yet emitted, from `emitted_` on
  TPicture shrunk_;
};

}  // namespace pageplayer
