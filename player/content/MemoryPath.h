// The private namespace of movies supplied as streams: a made-up path per
// movie, and the recognition of that path, or of anything below it, in the
// forms the player hands it back (the plain path and its file: URL).
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
  // "/" separators, "." and ".." applied. When it climbs above the movie's
  // folder it is kept as written and `ClimbsOut` is set: no one may open it.
  std::wstring RelativePath;
  bool ClimbsOut = false;
};

// True for anything that begins with the namespace's own folder,
// "Z:\FromMemory\<marker>\" (or "/" separators, or as a "file://" or
// "file:///" URL): such a text never names a file on disk, even when the
// rest of it is not well formed.
bool InMemoryNamespace(const std::wstring& path);

// The namespace's folder, a decimal id, "/" or "\" and a relative path. The
// marker elsewhere in a text does not make it a memory path. An id that is
// not a decimal number (or does not fit) makes it none.
std::optional<TMemoryPath> ParseMemoryPath(const std::wstring& path);

// "Z:\FromMemory\<marker>\<id>\<movie file name>".
std::wstring MoviePathFor(int id);

// Two memory paths are the same resource when ids and relative paths match;
// a memory path is never the same as an address outside the namespace; two
// such addresses are compared as whole texts. `equal` compares texts.
bool SameResourceURL(const std::wstring& a, const std::wstring& b,
                     bool (*equal)(const std::wstring&, const std::wstring&));

}  // namespace vell::player
