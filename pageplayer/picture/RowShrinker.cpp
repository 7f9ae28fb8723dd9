#include "RowShrinker.h"

#include <algorithm>
#include <utility>

namespace pageplayer {

// Which source pixels one target pixel covers, and by how much. With the
// target pixel `sourceLength` units long and each source pixel
// `targetLength` units long, every overlap is a whole number and the
// overlaps of one target pixel add up to `sourceLength`.
std::vector<TRowShrinker::TCover> TRowShrinker::CoversOf(int sourceLength, int targetLength) {
  std::vector<TCover> covers(static_cast<std::size_t>(targetLength));
  const std::uint64_t s = static_cast<std::uint64_t>(sourceLength), t = static_cast<std::uint64_t>(targetLength);
  for (std::uint64_t i = 0; i < t; ++i) {
    const std::uint64_t begin = i * s, end = begin + s;
    TCover& cover = covers[i];
    cover.first = static_cast<int>(begin / t);
    for (std::uint64_t p = begin / t; p * t < end; ++p) {
      const std::uint64_t from = std::max(begin, p * t), to = std::min(end, (p + 1) * t);
      cover.weights.push_back(static_cast<std::uint32_t>(to - from));
    }
  }
  return covers;
}

TRowShrinker::TRowShrinker(TPictureSize source, TPictureSize target)
    : source_(source),
      columns_(CoversOf(source.width, target.width)),
      rows_(CoversOf(source.height, target.height)),
      divisor_(static_cast<std::uint64_t>(source.width) * static_cast<std::uint64_t>(source.height)),
      rowSums_(static_cast<std::size_t>(target.width) * 3) {
  shrunk_.width = target.width;
  shrunk_.height = target.height;
  shrunk_.pixels.resize(static_cast<std::size_t>(target.width) * target.height);
}

// One source row brought to the target width; each channel scaled by the
// source width (at most 255 x 16384, well inside 32 bits).
void TRowShrinker::ShrinkRow(const std::uint32_t* row) {
  std::uint32_t* sums = rowSums_.data();
  for (const TCover& cover : columns_) {
    std::uint32_t blue = 0, green = 0, red = 0;
    const std::uint32_t* pixel = row + cover.first;
    for (const std::uint32_t weight : cover.weights) {
      const std::uint32_t p = *pixel++;
      blue += (p & 0xFF) * weight;
      green += ((p >> 8) & 0xFF) * weight;
      red += ((p >> 16) & 0xFF) * weight;
    }
    *sums++ = blue;
    *sums++ = green;
    *sums++ = red;
  }
}

void TRowShrinker::AddRow(const std::uint32_t* row) {
  const int y = added_++;
  if (y >= source_.height) return;
  ShrinkRow(row);
  // A source row adds to every target row whose cover takes it in: when
  // shrinking, the one it lies in and perhaps the next.
  for (int i = emitted_; i < static_cast<int>(rows_.size()) && rows_[i].first <= y; ++i) {
    const TCover& cover = rows_[i];
    const std::size_t part = static_cast<std::size_t>(y - cover.first);
    if (part >= cover.weights.size()) continue;
    while (open_.size() <= static_cast<std::size_t>(i - emitted_)) open_.emplace_back(rowSums_.size(), 0);
    std::vector<std::uint64_t>& sums = open_[static_cast<std::size_t>(i - emitted_)];
    const std::uint64_t weight = cover.weights[part];
    for (std::size_t c = 0; c < sums.size(); ++c) sums[c] += static_cast<std::uint64_t>(rowSums_[c]) * weight;
  }
  while (emitted_ < static_cast<int>(rows_.size()) &&
         rows_[emitted_].first + static_cast<int>(rows_[emitted_].weights.size()) <= added_) {
    Emit();
  }
}

void TRowShrinker::Emit() {
  if (open_.empty()) open_.emplace_back(rowSums_.size(), 0);
  const std::vector<std::uint64_t>& sums = open_.front();
  std::uint32_t* out = shrunk_.pixels.data() + static_cast<std::size_t>(emitted_) * shrunk_.width;
  for (std::size_t i = 0; i < sums.size(); i += 3) {
    const auto channel = [&](std::size_t c) { return static_cast<std::uint32_t>((sums[i + c] + divisor_ / 2) / divisor_); };
    *out++ = channel(0) | channel(1) << 8 | channel(2) << 16;
  }
  open_.pop_front();
  ++emitted_;
}

TPicture TRowShrinker::Take() { return std::exchange(shrunk_, {}); }

}  // namespace pageplayer
