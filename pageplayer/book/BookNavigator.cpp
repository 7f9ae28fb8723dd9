#include "BookNavigator.h"

#include <algorithm>

namespace pageplayer {

void TBookNavigator::Reset(int pageCount) {
  pageCount_ = std::max(pageCount, 0);
  current_ = 0;
}

int TBookNavigator::FirstShownPage() const { return facing_ ? current_ - current_ % 2 : current_; }

int TBookNavigator::ShownPageCount() const {
  if (pageCount_ == 0) return 0;
  return std::min(Step(), pageCount_ - FirstShownPage());
}

bool TBookNavigator::GoTo(int page) {
  if (pageCount_ == 0) return false;
  const int target = std::clamp(page, 0, pageCount_ - 1);
  if (target == current_) return false;
  current_ = target;
  return true;
}

bool TBookNavigator::Forward() {
  const int next = FirstShownPage() + Step();
  return next < pageCount_ && GoTo(next);
}

bool TBookNavigator::Back() {
  const int previous = std::max(FirstShownPage() - Step(), 0);
  if (previous == FirstShownPage()) return false;
  return GoTo(previous);
}

}  // namespace pageplayer
