#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "Picture.h"
#include "PictureDecoder.h"

namespace pageplayer {

// Decoded pictures are the player's largest holding: a 2400 x 3400 scan is
// 32 MB decoded. The 32-bit reader has 2 GB of address space, which the
// movie, the archive and the reader's own heap share, so the pages kept at
// once are bounded in pixels (4 bytes each), not in pages: 48 Mpx is about
// 200 MB, enough for a full-screen spread and its neighbours on a 4K monitor
// and for one spread at full resolution besides, whatever the book's pages.
inline constexpr std::int64_t kPageCachePixels = 48ll * 1024 * 1024;

// How many spreads ahead of the shown one are prepared: reading goes
// forward far more often than back.
inline constexpr int kSpreadsAhead = 2;
inline constexpr int kSpreadsBehind = 1;

// The pages worth holding, the most needed first: the shown spread, the
// next, the previous, then further ahead.
std::vector<int> PagesByNeed(int firstShown, int shownCount, int pageCount);

// The box a page is decoded to fit on a stage of this size showing this many
// pages: the room the spread's layout gives a page, so that it is drawn at
// the size it was decoded.
TDecodeBox PageSlot(int stageWidth, int stageHeight, int shownCount);

// One page as decoded, or why it could not be.
struct TCachedPage {
  bool failed = false;
  TPicture picture;    // when not failed
  TDecodeBox box;      // what it was decoded to fit; 0 x 0 for full resolution
  int sourceWidth = 0;  // the picture's own size, upright; 0 when unknown
  int sourceHeight = 0;
  std::string failure; // when failed, for the log
  std::int64_t Pixels() const { return static_cast<std::int64_t>(picture.width) * picture.height; }
};

// Decoded pages around the shown spread. Only the pages of the last Focus
// are kept; the bound evicts the least needed first and refuses a page
// that is needed less than everything held when nothing else can give way.
// A page decoded again (for another size) that finds no room leaves the
// earlier decoding in place: a page shown smaller beats a page not shown.
class TPageCache {
public:
  explicit TPageCache(std::int64_t pixelBound = kPageCachePixels) : bound_(pixelBound) {}

  // The pages wanted now, most needed first; any other page is dropped.
  void Focus(std::vector<int> wanted);
  const std::vector<int>& Wanted() const { return wanted_; }
  bool IsWanted(int page) const { return Rank(page) >= 0; }

  // True when the page was kept (it may replace an earlier decoding).
  bool Put(int page, TCachedPage entry);
  const TCachedPage* Find(int page) const;
  // The shown pages of a zoomed view are wanted at the size they are drawn:
  // the stage's box magnified, up to the page's full resolution, so that
  // drawing them is a copy, not a resample. Every other page is wanted at
  // the box the stage gives it.
  void SetMagnified(std::vector<int> pages, double magnification);
  // The box a page is decoded for when the stage gives its pages `fitted`.
  TDecodeBox BoxFor(int page, TDecodeBox fitted) const;
  // Wanted and not held as decoded for its box (a failure counts as held).
  // A picture that comes out the same size for both boxes is not decoded
  // again: a small page is at full resolution in any box.
  bool Needs(int page, TDecodeBox fitted) const;

  std::int64_t Pixels() const { return pixels_; }
  std::int64_t Bound() const { return bound_; }
  std::vector<int> HeldPages() const;
  void Clear();

private:
  int Rank(int page) const;  // -1 when not wanted
  void Drop(std::map<int, TCachedPage>::iterator entry);

  std::int64_t bound_;
  std::int64_t pixels_ = 0;
  std::vector<int> wanted_;
  std::vector<int> magnified_;
  double magnification_ = 1;
  std::map<int, TCachedPage> held_;
};

}  // namespace pageplayer
