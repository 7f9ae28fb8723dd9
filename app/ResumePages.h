// Where the reader stopped in each book: the page the player last reported,
// kept per book by its full path (UTF-8), size and modification time, so that
// a rewritten book starts again at its first page. Most recently stored first;
// beyond the bound the oldest books are forgotten.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct TBookIdentity {
  std::string path;  // full path, UTF-8
  std::uint64_t size = 0;
  std::uint64_t modified = 0;  // file time as the platform gives it
};

class TResumePages {
public:
  static constexpr std::size_t kDefaultLimit = 200;

  explicit TResumePages(std::size_t limit = kDefaultLimit) : limit_(limit) {}

  // Moves the book to the front with its page, dropping the oldest past the limit.
  void Store(const TBookIdentity& book, int page);
  // The stored page of exactly this book (same path, size and time).
  std::optional<int> PageOf(const TBookIdentity& book) const;
  std::size_t Count() const { return entries_.size(); }

  // One book per line: page, size, time and path separated by tabs.
  std::string Serialize() const;
  // Lines that cannot be read are skipped rather than failing the whole file:
  // losing one remembered page is better than losing them all.
  static TResumePages Parse(const std::string& text, std::size_t limit = kDefaultLimit);

private:
  struct Entry {
    TBookIdentity book;
    int page = 0;
  };
  static bool SamePath(const std::string& a, const std::string& b);

  std::size_t limit_;
  std::vector<Entry> entries_;
};
