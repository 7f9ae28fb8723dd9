#include "BookResume.h"

#include <utility>

#include "DecimalText.h"

void TBookResume::BookStarting(std::optional<TBookIdentity> book) {
  book_ = std::move(book);
  ready_ = false;
  pending_.reset();
  if (book_) pending_ = load_().PageOf(*book_);
}

std::optional<int> TBookResume::PlayerReady() {
  if (!book_) return std::nullopt;
  ready_ = true;
  return std::exchange(pending_, std::nullopt);
}

void TBookResume::BookLeaving(const std::function<std::wstring()>& currentPage) {
  if (!book_ || !ready_) return;
  std::optional<int> page;
  try {
    page = PageFromPlayer(currentPage());
  } catch (...) {
    // A player without the variable refuses the question: nothing to keep.
    return;
  }
  if (!page) return;
  TResumePages pages = load_();
  pages.Store(*book_, *page);
  save_(pages);
}

void TBookResume::BookClosed() {
  book_.reset();
  pending_.reset();
  ready_ = false;
}

std::optional<int> TBookResume::PageFromPlayer(const std::wstring& answer) {
  // Nine digits at most: no book has that many pages.
  if (answer.size() > 9) return std::nullopt;
  const std::optional<int> page = ParseDecimal<int>(answer);
  if (!page || *page < 1) return std::nullopt;
  return page;
}
