#include "ResumePages.h"

#include <algorithm>

#include "DecimalText.h"

namespace {

// Windows paths compare without regard to ASCII case; non-ASCII bytes are
// compared as they are, which keeps two spellings apart rather than merging
// books that are not the same.
char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

template <typename T>
bool ParseNumber(const std::string& text, std::size_t from, std::size_t to, T& out) {
  if (from >= to) return false;
  const std::optional<T> value = ParseDecimal<T>(std::string_view(text).substr(from, to - from), TDecimalSign::MinusOnly);
  if (value) out = *value;
  return value.has_value();
}

}  // namespace

bool TResumePages::SamePath(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return FoldAscii(x) == FoldAscii(y); });
}

void TResumePages::Store(const TBookIdentity& book, int page) {
  if (book.path.empty() || book.path.find_first_of("\t\r\n") != std::string::npos) return;
  entries_.erase(std::remove_if(entries_.begin(), entries_.end(),
                                [&](const Entry& e) { return SamePath(e.book.path, book.path); }),
                 entries_.end());
  entries_.insert(entries_.begin(), Entry{book, page});
  if (entries_.size() > limit_) entries_.resize(limit_);
}

std::optional<int> TResumePages::PageOf(const TBookIdentity& book) const {
  for (const Entry& e : entries_) {
    if (!SamePath(e.book.path, book.path)) continue;
    if (e.book.size != book.size || e.book.modified != book.modified) return std::nullopt;
    return e.page;
  }
  return std::nullopt;
}

std::string TResumePages::Serialize() const {
  std::string out;
  for (const Entry& e : entries_) {
    out += std::to_string(e.page) + '\t' + std::to_string(e.book.size) + '\t' + std::to_string(e.book.modified) +
           '\t' + e.book.path + "\r\n";
  }
  return out;
}

TResumePages TResumePages::Parse(const std::string& text, std::size_t limit) {
  TResumePages pages(limit);
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::size_t lineEnd = (end > start && text[end - 1] == '\r') ? end - 1 : end;
    std::size_t t1 = text.find('\t', start);
    std::size_t t2 = t1 < lineEnd ? text.find('\t', t1 + 1) : std::string::npos;
    std::size_t t3 = t2 < lineEnd ? text.find('\t', t2 + 1) : std::string::npos;
    Entry e;
    if (t3 < lineEnd && ParseNumber(text, start, t1, e.page) && ParseNumber(text, t1 + 1, t2, e.book.size) &&
        ParseNumber(text, t2 + 1, t3, e.book.modified) && t3 + 1 < lineEnd &&
        pages.entries_.size() < pages.limit_) {
      e.book.path = text.substr(t3 + 1, lineEnd - t3 - 1);
      bool seen = std::any_of(pages.entries_.begin(), pages.entries_.end(),
                              [&](const Entry& x) { return SamePath(x.book.path, e.book.path); });
      if (!seen) pages.entries_.push_back(std::move(e));
    }
    start = end + 1;
  }
  return pages;
}
