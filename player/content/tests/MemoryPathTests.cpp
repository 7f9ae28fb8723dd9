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

TEST(MemoryPath, RecognisesOnlyTheFormsTheManagerMakesAtTheStart) {
  const std::wstring folder = L"Z:\\FromMemory\\" + kMarker;
  const TParseCase cases[] = {
      {folder + L"\\7\\files\\config.xml", 7, L"files/config.xml"},
      {L"file:///Z:/FromMemory/" + kMarker + L"/3/E4ED7C01D28A43418DBF2CB92CC35E56.swf", 3,
       L"E4ED7C01D28A43418DBF2CB92CC35E56.swf"},
      {L"FILE://Z:/FromMemory/" + kMarker + L"/3/a.jpg", 3, L"a.jpg"},
      {folder + L"\\4\\\\files\\a.jpg", 4, L"/files/a.jpg"},  // doubled separator kept
      {folder + L"\\5\\", 5, L""},
      // The marker anywhere else is just text.
      {L"anything" + kMarker + L"/12/a/b", std::nullopt, L""},
      {L"http://example.test/Z:/FromMemory/" + kMarker + L"/1/a", std::nullopt, L""},
      {L"C:\\Z:\\FromMemory\\" + kMarker + L"\\1\\a", std::nullopt, L""},
      {L"file:/Z:/FromMemory/" + kMarker + L"/1/a", std::nullopt, L""},
      {L"Z:\\FromMemory\\" + kMarker + L"x12\\a", std::nullopt, L""},  // the separator is a separator
      {kResetAddress, std::nullopt, L""},
      {L"files/config.xml", std::nullopt, L""},
      {folder, std::nullopt, L""},                       // marker at the very end
      {folder + L"\\", std::nullopt, L""},              // only its separator
      {folder + L"\\7", std::nullopt, L""},             // id without "/" after it
      {folder + L"\\seven\\a", std::nullopt, L""},
      {folder + L"\\\\a", std::nullopt, L""},         // empty id
      {folder + L"\\99999999999\\a", std::nullopt, L""},
      {L"z:\\frommemory\\46a10f369771449587de913efc0a258c\\7\\a", std::nullopt, L""},  // case counts
  };
  for (const TParseCase& item : cases) {
    const std::optional<TMemoryPath> parsed = ParseMemoryPath(item.Path);
    SCOPED_TRACE(std::string(item.Path.begin(), item.Path.end()));
    ASSERT_EQ(parsed.has_value(), item.Id.has_value());
    if (!parsed) continue;
    EXPECT_EQ(parsed->Id, *item.Id);
    EXPECT_EQ(parsed->RelativePath, item.Relative);
    EXPECT_FALSE(parsed->ClimbsOut);
  }
  // Malformed below the namespace's folder is still inside the namespace:
  // such a text is never handed to the disk.
  EXPECT_TRUE(InMemoryNamespace(folder + L"\\seven\\a"));
  EXPECT_TRUE(InMemoryNamespace(folder + L"\\"));
  EXPECT_FALSE(InMemoryNamespace(folder));
  EXPECT_FALSE(InMemoryNamespace(L"anything" + kMarker + L"/12/a/b"));
}

TEST(MemoryPath, DotSegmentsStayInsideTheBook) {
  const std::wstring folder = L"Z:\\FromMemory\\" + kMarker + L"\\9\\";
  const struct {
    std::wstring Relative;
    std::wstring Resolved;
    bool ClimbsOut;
  } cases[] = {
      {L"files/./pages/../config.xml", L"files/config.xml", false},
      {L"files\\..\\files\\a.jpg", L"files/a.jpg", false},
      {L"./a.jpg", L"a.jpg", false},
      {L"files/..", L"", false},
      {L"..", L"..", true},
      {L"../a.jpg", L"../a.jpg", true},
      {L"files/../../a.jpg", L"files/../../a.jpg", true},
      {L"files\\..\\..\\..\\Users\\Public\\photo.jpg", L"files/../../../Users/Public/photo.jpg", true},
      {L"...", L"...", false},  // a name, not a step up: the book answers it or not
  };
  for (const auto& item : cases) {
    SCOPED_TRACE(std::string(item.Relative.begin(), item.Relative.end()));
    const std::optional<TMemoryPath> parsed = ParseMemoryPath(folder + item.Relative);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->RelativePath, item.Resolved);
    EXPECT_EQ(parsed->ClimbsOut, item.ClimbsOut);
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
