#pragma once
#include <optional>
#include <string>

namespace pageplayer {

// A movie is named by a path on disk ("C:\books\a\book.swf", "\\server\…")
// or by a URL ("http://…", "file:///…"). Files the movie names are
// relative to it, and its folder is the root of the book: nothing a book
// names may reach above it.
class TMovieAddress {
public:
  explicit TMovieAddress(std::wstring address);

  const std::wstring& Text() const { return address_; }
  bool IsPath() const { return isPath_; }

  // The address of a file named relative to the movie, "." and ".." applied
  // inside the book: for a path, the movie's folder joined with the name,
  // "/" turned into "\"; for a URL, the name joined to the URL's folder.
  // Declined (nullopt, with the reason in `whyDeclined` when given): a name
  // that climbs above the movie's folder, a rooted or UNC path, a drive, any
  // scheme (file:, http:, …), an encoded separator or a control character.
  std::optional<std::wstring> Resolve(const std::wstring& relative, std::wstring* whyDeclined = nullptr) const;

private:
  std::wstring address_;
  bool isPath_;
};

// True for texts that set no movie: empty or only blanks.
bool IsBlankAddress(const std::wstring& address);

}  // namespace pageplayer
