#pragma once
#include <string>

namespace pageplayer {

// A movie is named by a path on disk ("C:\books\a\book.swf", "\\server\…")
// or by a URL ("http://…", "file:///…"). Files the movie names are
// relative to it.
class TMovieAddress {
public:
  explicit TMovieAddress(std::wstring address);

  const std::wstring& Text() const { return address_; }
  bool IsPath() const { return isPath_; }

  // The address of a file named relative to the movie: for a path, the
  // movie's folder joined with the name, "/" turned into "\"; for a URL, the
  // name resolved against the URL's last "/".
  std::wstring Resolve(const std::wstring& relative) const;

private:
  std::wstring address_;
  bool isPath_;
};

// True for texts that set no movie: empty or only blanks.
bool IsBlankAddress(const std::wstring& address);

}  // namespace pageplayer
