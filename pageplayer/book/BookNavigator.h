#pragma once

namespace pageplayer {

// Where the reader is in the book. Pages are 0-based here; two facing pages
// form a spread (0-1, 2-3, …) when the stage is wider than tall.
class TBookNavigator {
public:
  void Reset(int pageCount);
  void SetFacingPages(bool facing) { facing_ = facing; }

  int PageCount() const { return pageCount_; }
  int CurrentPage() const { return current_; }
  bool FacingPages() const { return facing_; }

  // The first page shown and how many are shown (0 without pages).
  int FirstShownPage() const;
  int ShownPageCount() const;

  // Each answers whether the current page changed.
  bool GoTo(int page);  // clamped into the book
  bool Forward();
  bool Back();
  bool First() { return GoTo(0); }
  bool Last() { return GoTo(pageCount_ - 1); }

private:
  int Step() const { return facing_ ? 2 : 1; }

  int pageCount_ = 0;
  int current_ = 0;
  bool facing_ = false;
};

}  // namespace pageplayer
