// The private namespace of movies supplied as streams: a made-up path per
// movie, and the recognition of that path, or of anything below it, in
// whatever form the player hands it back (plain path, file: URL, resolved URL).
#pragma once
#include <optional>
#include <string>

namespace vell::player {

inline constexpr wchar_t kMemoryPathMarker[] = L"46A10F369771449587DE913EFC0A258C";
inline constexpr wchar_t kMovieFileName[] = L"E4ED7C01D28A43418DBF2CB92CC35E56.swf";
// Given to the player before each movie path so that a movie path equal to
// the current one still loads. One character short of the marker: it is no
// memory path.
inline constexpr wchar_t kResetAddress[] = L"file://46A10F369771449587DE913EFC0A258";

struct TMemoryPath {
  int Id = 0;
  std::wstring RelativePath;  // "/" separators
};

// Anything that holds the marker, one separator character of any kind, a
// decimal id, "/" or "\" and a relative path. An id that is not a decimal
// number (or does not fit) makes it no memory path.
std::optional<TMemoryPath> ParseMemoryPath(const std::wstring& path);

// "Z:\FromMemory\<marker>\<id>\<movie file name>".
std::wstring MoviePathFor(int id);

// Two memory paths are the same resource when ids and relative paths match;
// a memory path is never the same as an address outside the namespace; two
// such addresses are compared as whole texts. `equal` compares texts.
bool SameResourceURL(const std::wstring& a, const std::wstring& b,
                     bool (*equal)(const std::wstring&, const std::wstring&));

}  // namespace vell::player
