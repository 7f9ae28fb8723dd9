#include "PageCache.h"

#include <algorithm>
#include <cmath>

#include "PictureScaling.h"
#include "SpreadLayout.h"

namespace pageplayer {

std::vector<int> PagesByNeed(int firstShown, int shownCount, int pageCount) {
  std::vector<int> pages;
  if (pageCount <= 0 || shownCount <= 0) return pages;
  const auto addSpread = [&](int first) {
    for (int page = std::max(first, 0); page < first + shownCount && page < pageCount; ++page) pages.push_back(page);
  };
  addSpread(firstShown);
  addSpread(firstShown + shownCount);
  for (int back = 1; back <= kSpreadsBehind; ++back) addSpread(firstShown - back * shownCount);
  for (int ahead = 2; ahead <= kSpreadsAhead; ++ahead) addSpread(firstShown + ahead * shownCount);
  // Near the first page the spreads behind clip into each other.
  std::vector<int> unique;
  for (int page : pages) {
    if (std::find(unique.begin(), unique.end(), page) == unique.end()) unique.push_back(page);
  }
  return unique;
}

TDecodeBox PageSlot(int stageWidth, int stageHeight, int shownCount) {
  if (shownCount <= 0) return {};
  // A page far wider than tall fills its slot's width, one far taller its height.
  const std::vector<TPageSize> wide(shownCount, TPageSize{100000, 1}), tall(shownCount, TPageSize{1, 100000});
  const auto byWidth = LayoutSpread(stageWidth, stageHeight, wide, {});
  const auto byHeight = LayoutSpread(stageWidth, stageHeight, tall, {});
  if (byWidth.empty() || byHeight.empty()) return {};
  return {byWidth[0].picture.Width(), byHeight[0].picture.Height()};
}

int TPageCache::Rank(int page) const {
  const auto found = std::find(wanted_.begin(), wanted_.end(), page);
  return found == wanted_.end() ? -1 : static_cast<int>(found - wanted_.begin());
}

void TPageCache::Drop(std::map<int, TCachedPage>::iterator entry) {
  pixels_ -= entry->second.Pixels();
  held_.erase(entry);
}

void TPageCache::Focus(std::vector<int> wanted) {
  wanted_ = std::move(wanted);
  for (auto entry = held_.begin(); entry != held_.end();) {
    const auto next = std::next(entry);
    if (!IsWanted(entry->first)) Drop(entry);
    entry = next;
  }
}

bool TPageCache::Put(int page, TCachedPage entry) {
  const int rank = Rank(page);
  if (rank < 0) return false;
  const auto earlier = held_.find(page);
  const std::int64_t replaced = earlier == held_.end() ? 0 : earlier->second.Pixels();
  const std::int64_t needed = entry.Pixels();
  if (needed > bound_) return false;
  // What giving way from the least needed end can free, never taking a page
  // needed more than this one.
  std::int64_t freeable = 0;
  for (auto least = wanted_.rbegin(); least != wanted_.rend() && Rank(*least) > rank; ++least) {
    if (const auto held = held_.find(*least); held != held_.end()) freeable += held->second.Pixels();
  }
  if (pixels_ - replaced - freeable + needed > bound_) return false;
  if (earlier != held_.end()) Drop(earlier);
  for (auto least = wanted_.rbegin(); pixels_ + needed > bound_ && least != wanted_.rend(); ++least) {
    if (const auto held = held_.find(*least); held != held_.end()) Drop(held);
  }
  pixels_ += needed;
  held_.emplace(page, std::move(entry));
  return true;
}

const TCachedPage* TPageCache::Find(int page) const {
  const auto found = held_.find(page);
  return found == held_.end() ? nullptr : &found->second;
}

void TPageCache::SetMagnified(std::vector<int> pages, double magnification) {
  magnified_ = std::move(pages);
  // Beyond the zoom's own limit every page is at full resolution anyway.
  magnification_ = std::clamp(magnification, 1.0, 64.0);
}

TDecodeBox TPageCache::BoxFor(int page, TDecodeBox fitted) const {
  if (magnification_ <= 1 || std::find(magnified_.begin(), magnified_.end(), page) == magnified_.end()) return fitted;
  if (fitted.width <= 0 || fitted.height <= 0) return {0, 0, fitted.paper};
  return {static_cast<int>(std::ceil(fitted.width * magnification_)),
          static_cast<int>(std::ceil(fitted.height * magnification_)), fitted.paper};
}

bool TPageCache::Needs(int page, TDecodeBox fitted) const {
  if (!IsWanted(page)) return false;
  const TCachedPage* held = Find(page);
  if (!held) return true;
  if (held->failed) return false;
  const TDecodeBox box = BoxFor(page, fitted);
  if (held->sourceWidth <= 0 || held->sourceHeight <= 0) {
    return held->box.width != box.width || held->box.height != box.height;
  }
  return FitInto({held->sourceWidth, held->sourceHeight}, box) != TPictureSize{held->picture.width, held->picture.height};
}

std::vector<int> TPageCache::HeldPages() const {
  std::vector<int> pages;
  for (const auto& [page, entry] : held_) pages.push_back(page);
  return pages;
}

void TPageCache::Clear() {
  held_.clear();
  wanted_.clear();
  magnified_.clear();
  magnification_ = 1;
  pixels_ = 0;
}

}  // namespace pageplayer
