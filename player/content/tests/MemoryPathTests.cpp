#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "player/content/MemoryPath.h"

namespace vell::player {
namespace {

const std::wstring kMarker = kMemoryPathMarker;

struct TParseCase {
  std::wstring Path;
  std::optional<int> Id;  // none: not a memory path
  std::wstring Relative;
};

TEST(MemoryPath, RecognisesEveryFormThePlayerHandsBack) {
  const TParseCase cases[] = {
      {L"Z:\\FromMemory\\" + kMarker + L"\\7\\files\\config.xml", 7, L"files/config.xml"},
      {L"file:///Z:/FromMemory/" + kMarker + L"/3/E4ED7C01D28A43418DBF2CB92CC35E56.swf", 3,
       L"E4ED7C01D28A43418DBF2CB92CC35E56.swf"},
      {L"anything" + kMarker + L"x12/a/b", 12, L"a/b"},  // any separator after the marker
      {L"Z:\\FromMemory\\" + kMarker + L"\\4\\\\files\\a.jpg", 4, L"/files/a.jpg"},  // doubled separator kept
      {L"Z:\\FromMemory\\" + kMarker + L"\\5\\", 5, L""},
      {kResetAddress, std::nullopt, L""},
      {L"files/config.xml", std::nullopt, L""},
      {L"Z:\\FromMemory\\" + kMarker, std::nullopt, L""},             // marker at the very end
      {L"Z:\\FromMemory\\" + kMarker + L"\\", std::nullopt, L""},      // only its separator
      {L"Z:\\FromMemory\\" + kMarker + L"\\7", std::nullopt, L""},     // id without "/" after it
      {L"Z:\\FromMemory\\" + kMarker + L"\\seven\\a", std::nullopt, L""},
      {L"Z:\\FromMemory\\" + kMarker + L"\\\\a", std::nullopt, L""},   // empty id
      {L"Z:\\FromMemory\\" + kMarker + L"\\99999999999\\a", std::nullopt, L""},
      {L"z:\\frommemory\\46a10f369771449587de913efc0a258c\\7\\a", std::nullopt, L""},  // case counts
  };
  for (const TParseCase& item : cases) {
    const std::optional<TMemoryPath> parsed = ParseMemoryPath(item.Path);
    SCOPED_TRACE(std::string(item.Path.begin(), item.Path.end()));
    ASSERT_EQ(parsed.has_value(), item.Id.has_value());
    if (!parsed) continue;
    EXPECT_EQ(parsed->Id, *item.Id);
    EXPECT_EQ(parsed->RelativePath, item.Relative);
  }
}

TEST(MemoryPath, MoviePathsParseBackToTheirId) {
  EXPECT_EQ(MoviePathFor(42), L"Z:\\FromMemory\\" + kMarker + L"\\42\\E4ED7C01D28A43418DBF2CB92CC35E56.swf");
  EXPECT_EQ(ParseMemoryPath(MoviePathFor(42))->Id, 42);
  EXPECT_EQ(std::wstring(kResetAddress).size(), 38u);
}

bool Exactly(const std::wstring& a, const std::wstring& b) { return a == b; }

TEST(MemoryPath, SameResourceURL) {
  const std::wstring movie3 = MoviePathFor(3);
  const struct {
    std::wstring A, B;
    bool Same;
  } cases[] = {
      {movie3, L"file:///Z:/FromMemory/" + kMarker + L"/3/E4ED7C01D28A43418DBF2CB92CC35E56.swf", true},
      {movie3, MoviePathFor(4), false},
      {movie3, L"Z:\\FromMemory\\" + kMarker + L"\\3\\e4ed7c01d28a43418dbf2cb92cc35e56.swf", false},
      {movie3, L"Z:\\FromMemory\\" + kMarker + L"\\3\\other.swf", false},
      {movie3, kResetAddress, false},
      {kResetAddress, kResetAddress, true},
      {L"http://a/b", L"http://a/c", false},
  };
  for (const auto& item : cases) {
    EXPECT_EQ(SameResourceURL(item.A, item.B, Exactly), item.Same) << std::string(item.B.begin(), item.B.end());
    EXPECT_EQ(SameResourceURL(item.B, item.A, Exactly), item.Same);
  }
}

}  // namespace
}  // namespace vell::player
