#include <gtest/gtest.h>

#include <cstdint>
#include <cwchar>
#include <span>
#include <string>
#include <vector>

#include "BookNavigator.h"
#include "JpegPicture.h"
#include "MovieAddress.h"
#include "MovieHeader.h"
#include "PageList.h"
#include "ScriptCalls.h"
#include "SpreadLayout.h"
#include "TestMovies.h"

namespace pageplayer {
namespace {

using testing::MovieBytes;

TEST(MovieHeader, PlainAndCompressedMoviesGiveTheirStage) {
  for (const char* signature : {"FWS", "CWS"}) {
    SCOPED_TRACE(signature);
    const auto header = ReadMovieHeader(MovieBytes(signature, 1200, 800));
    ASSERT_TRUE(header);
    EXPECT_EQ(header->compressed, signature[0] == 'C');
    EXPECT_EQ(header->version, 10);
    EXPECT_EQ(header->stageWidth, 1200);
    EXPECT_EQ(header->stageHeight, 800);
    EXPECT_DOUBLE_EQ(header->frameRate, 24.0);
    EXPECT_EQ(header->frameCount, 7);
  }
}

TEST(MovieHeader, AnythingElseIsNoPlayableMovie) {
  auto compressedGarbage = MovieBytes("CWS", 100, 100);
  compressedGarbage.resize(8);
  compressedGarbage.insert(compressedGarbage.end(), {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
  auto truncated = MovieBytes("FWS", 100, 100);
  truncated.resize(12);
  auto shortLength = MovieBytes("FWS", 100, 100);
  shortLength[4] = 9;
  const std::vector<std::vector<std::uint8_t>> refused = {
      {},
      {'F', 'W', 'S'},
      MovieBytes("GWS", 100, 100),
      MovieBytes("fws", 100, 100),
      MovieBytes("FWX", 100, 100),
      MovieBytes("FWS", 0, 100),
      compressedGarbage,
      truncated,
      shortLength,
      std::vector<std::uint8_t>{'<', 'h', 't', 'm', 'l', '>', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '},
  };
  for (std::size_t i = 0; i < refused.size(); ++i) EXPECT_FALSE(ReadMovieHeader(refused[i])) << "case " << i;
}

// The header is read from the movie's first bytes: a player that keeps only
// those gets the answer the whole movie gives, however long the rest.
TEST(MovieHeader, TheFirstBytesGiveTheWholeMoviesAnswer) {
  for (const char* signature : {"FWS", "CWS"}) {
    SCOPED_TRACE(signature);
    auto movie = MovieBytes(signature, 640, 480);
    movie.resize(kMovieHeaderPrefix * 3, 0x5A);
    const auto whole = ReadMovieHeader(movie);
    const auto start = ReadMovieHeader(std::span(movie).first(kMovieHeaderPrefix));
    ASSERT_TRUE(whole && start);
    EXPECT_EQ(start->stageWidth, 640);
    EXPECT_EQ(start->frameCount, whole->frameCount);
  }
  // A compressed stream that spends its start on empty stored blocks never
  // reaches the stage within the prefix: refused, without reading further.
  std::vector<std::uint8_t> stalling = {'C', 'W', 'S', 10, 0, 0, 1, 0, 0x78, 0x01};
  while (stalling.size() < kMovieHeaderPrefix * 2) stalling.insert(stalling.end(), {0x00, 0x00, 0x00, 0xFF, 0xFF});
  EXPECT_FALSE(ReadMovieHeader(stalling));
}

TEST(PageList, ReadsTheBookMakersDocumentAndToleratesOtherSpellings) {
  const auto list = ParsePageList(
      "\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<!-- <page src=\"commented.jpg\"/> -->\n"
      "<book title=\"Tom &amp; Jerry &#x263A;\">\n"
      "  <page src=\"files/pages/001.jpg\"/>\n"
      "  <page\n src = 'files/pages/002.jpg' />\n"
      "  <page id=\"3\" src=\"files/pages/a&gt;b.jpg\"></page>\n"
      "  <page src=\"\"/><page/><pages src=\"no.jpg\"/>\n"
      "</book>");
  ASSERT_TRUE(list);
  EXPECT_EQ(list->title, "Tom & Jerry \xE2\x98\xBA");
  EXPECT_EQ(list->pages, (std::vector<std::string>{"files/pages/001.jpg", "files/pages/002.jpg", "files/pages/a>b.jpg"}));
}

TEST(PageList, WithoutABookOrAPageThereIsNoList) {
  for (const char* document : {"", "not xml at all", "<book title=\"x\"></book>", "<page src=\"a.jpg\"/>",
                               "<book title=\"x\"><page src=\"a.jpg\"", "<!-- <book><page src=\"a\"/></book>"}) {
    EXPECT_FALSE(ParsePageList(document)) << document;
  }
}

std::string PageListOf(std::size_t pages, std::size_t padding = 0) {
  std::string document = "<book title=\"long\">" + std::string(padding, ' ');
  for (std::size_t i = 0; i < pages; ++i) document += "<page src=\"p" + std::to_string(i) + ".jpg\"/>";
  return document + "</book>";
}

TEST(PageList, ListsOverTheirBoundsAreRefusedWhole) {
  const auto longest = ParsePageList(PageListOf(kMostPages));
  ASSERT_TRUE(longest);
  EXPECT_EQ(longest->pages.size(), kMostPages);
  EXPECT_EQ(longest->pages.back(), "p" + std::to_string(kMostPages - 1) + ".jpg");
  EXPECT_FALSE(ParsePageList(PageListOf(kMostPages + 1)));

  const std::string small = PageListOf(2);
  EXPECT_TRUE(ParsePageList(PageListOf(2, kLargestPageList - small.size())));
  EXPECT_FALSE(ParsePageList(PageListOf(2, kLargestPageList - small.size() + 1)));
}

TEST(BookNavigator, SinglePagesAndSpreadsTurnAndStopAtTheEnds) {
  TBookNavigator single;
  single.Reset(3);
  EXPECT_FALSE(single.Back());
  EXPECT_TRUE(single.Forward());
  EXPECT_EQ(single.CurrentPage(), 1);
  EXPECT_TRUE(single.Last());
  EXPECT_FALSE(single.Forward());
  EXPECT_EQ(single.ShownPageCount(), 1);

  TBookNavigator facing;
  facing.SetFacingPages(true);
  facing.Reset(5);
  EXPECT_EQ(facing.ShownPageCount(), 2);
  EXPECT_TRUE(facing.Forward());
  EXPECT_EQ(facing.CurrentPage(), 2);
  EXPECT_TRUE(facing.Forward());
  EXPECT_EQ(facing.CurrentPage(), 4);
  EXPECT_EQ(facing.ShownPageCount(), 1) << "the last page alone";
  EXPECT_FALSE(facing.Forward());
  EXPECT_TRUE(facing.GoTo(3));
  EXPECT_EQ(facing.FirstShownPage(), 2);
  EXPECT_TRUE(facing.Back());
  EXPECT_EQ(facing.CurrentPage(), 0);
  EXPECT_TRUE(facing.GoTo(99));
  EXPECT_EQ(facing.CurrentPage(), 4);
  EXPECT_TRUE(facing.GoTo(-3));
  EXPECT_EQ(facing.CurrentPage(), 0);

  TBookNavigator empty;
  empty.Reset(0);
  EXPECT_FALSE(empty.Forward());
  EXPECT_FALSE(empty.Last());
  EXPECT_EQ(empty.ShownPageCount(), 0);
}

TEST(SpreadLayout, FacingPagesMeetAtTheMiddleAndKeepTheirProportions) {
  const auto spread = LayoutSpread(1000, 600, {{300, 400}, {0, 0}}, {});
  ASSERT_EQ(spread.size(), 2u);
  EXPECT_EQ(spread[0].picture.right, spread[1].picture.left);
  EXPECT_EQ(spread[0].picture.right, 500);
  for (const auto& page : spread) {
    EXPECT_NEAR(page.picture.Width() * 4.0 / page.picture.Height(), 3.0, 0.02);
    EXPECT_GE(page.picture.top, 0);
    EXPECT_LE(page.number.bottom, 600);
    EXPECT_EQ(page.number.top, page.picture.bottom);
  }
  const auto single = LayoutSpread(400, 1000, {{800, 400}}, {});
  ASSERT_EQ(single.size(), 1u);
  EXPECT_EQ(single[0].picture.Width(), 384);
  EXPECT_EQ(single[0].picture.Height(), 192);
  EXPECT_TRUE(LayoutSpread(0, 0, {{10, 10}}, {}).at(0).picture.Width() == 0);
}

TEST(JpegPicture, DecodesToBlueGreenRedPixelsAndRefusesWhatIsNoPicture) {
  const auto picture = DecodeJpeg(testing::SolidJpeg(40, 30, 0xC0, 0x40, 0x20));
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->width, 40);
  EXPECT_EQ(picture->height, 30);
  const std::uint32_t centre = picture->pixels[15 * 40 + 20];
  EXPECT_NEAR(static_cast<int>((centre >> 16) & 0xFF), 0xC0, 4);
  EXPECT_NEAR(static_cast<int>((centre >> 8) & 0xFF), 0x40, 4);
  EXPECT_NEAR(static_cast<int>(centre & 0xFF), 0x20, 4);
  EXPECT_FALSE(DecodeJpeg(std::vector<std::uint8_t>{}));
  EXPECT_FALSE(DecodeJpeg(std::vector<std::uint8_t>(64, 0x42)));
  auto cut = testing::SolidJpeg(40, 30, 1, 2, 3);
  cut.resize(100);
  EXPECT_FALSE(DecodeJpeg(cut)) << "a picture cut off in its tables";
}

TEST(MovieAddress, FilesAreNamedRelativeToThePathOrTheUrl) {
  const struct {
    const wchar_t* movie;
    bool isPath;
    const wchar_t* resolved;
  } cases[] = {
      {L"C:\\books\\a\\book.swf", true, L"C:\\books\\a\\files\\pages\\001.jpg"},
      {L"Z:/tmp/book.swf", true, L"Z:\\tmp\\files\\pages\\001.jpg"},
      {L"\\\\server\\share\\book.swf", true, L"\\\\server\\share\\files\\pages\\001.jpg"},
      {L"http://example.test/b/book.swf?x=/y", false, L"http://example.test/b/files/pages/001.jpg"},
      {L"file:///Z:/tmp/book.swf", false, L"file:///Z:/tmp/files/pages/001.jpg"},
  };
  for (const auto& testCase : cases) {
    const TMovieAddress address(testCase.movie);
    EXPECT_EQ(address.IsPath(), testCase.isPath);
    EXPECT_EQ(address.Resolve(L"files/pages/001.jpg"), testCase.resolved);
  }
  EXPECT_TRUE(IsBlankAddress(L""));
  EXPECT_TRUE(IsBlankAddress(L" \t "));
  EXPECT_FALSE(IsBlankAddress(L" a"));
}

// What a book names is resolved inside the movie's folder, for a movie on a
// path (the reader's memory paths are such) and one at a URL alike.
TEST(MovieAddress, NamesStayInsideTheBook) {
  const TMovieAddress path(L"Z:\\FromMemory\\M\\1\\book.swf");
  const TMovieAddress url(L"http://example.test/b/book.swf");
  const struct {
    const wchar_t* name;
    const wchar_t* onPath;  // nullptr: declined
    const wchar_t* onUrl;
  } cases[] = {
      {L"files/a.jpg", L"Z:\\FromMemory\\M\\1\\files\\a.jpg", L"http://example.test/b/files/a.jpg"},
      {L"./files/./a.jpg", L"Z:\\FromMemory\\M\\1\\files\\a.jpg", L"http://example.test/b/files/a.jpg"},
      {L"files/pages/../a.jpg", L"Z:\\FromMemory\\M\\1\\files\\a.jpg", L"http://example.test/b/files/a.jpg"},
      {L"files\\x\\..\\a.jpg", L"Z:\\FromMemory\\M\\1\\files\\a.jpg", L"http://example.test/b/files/a.jpg"},
      {L"files//a.jpg", L"Z:\\FromMemory\\M\\1\\files\\a.jpg", L"http://example.test/b/files/a.jpg"},
      {L"files/%2e%2e/a.jpg", L"Z:\\FromMemory\\M\\1\\a.jpg", L"http://example.test/b/a.jpg"},
      // A URL's query and fragment are no part of its path; a path has none.
      {L"a.jpg?v=../../x#top", L"Z:\\FromMemory\\M\\1\\x#top", L"http://example.test/b/a.jpg?v=../../x#top"},
      {L"a#1.jpg", L"Z:\\FromMemory\\M\\1\\a#1.jpg", L"http://example.test/b/a#1.jpg"},
      // Climbing out, however spelt.
      {L"../a.jpg", nullptr, nullptr},
      {L"files/../../a.jpg", nullptr, nullptr},
      {L"..\\..\\..\\Users\\Public\\photo.jpg", nullptr, nullptr},
      {L"%2e%2e/a.jpg", nullptr, nullptr},
      {L"%2E./a.jpg", nullptr, nullptr},
      {L"files/.. /../a.jpg", nullptr, nullptr},
      {L"files/.../a.jpg", nullptr, nullptr},
      {L"files/..%2fa.jpg", nullptr, nullptr},
      {L"files/..%5C..%5Ca.jpg", nullptr, nullptr},
      // Not a name in the book at all.
      {L"/Users/Public/photo.jpg", nullptr, nullptr},
      {L"\\Users\\Public\\photo.jpg", nullptr, nullptr},
      {L"C:\\Users\\Public\\photo.jpg", nullptr, nullptr},
      {L"c:photo.jpg", nullptr, nullptr},
      {L"\\\\server\\share\\photo.jpg", nullptr, nullptr},
      {L"//server/share/photo.jpg", nullptr, nullptr},
      {L"file:///C:/Users/Public/photo.jpg", nullptr, nullptr},
      {L"FILE:photo.jpg", nullptr, nullptr},
      {L"http://elsewhere.test/photo.jpg", nullptr, nullptr},
      {L"files/a.jpg:stream", nullptr, nullptr},
      {L"files/a\x01.jpg", nullptr, nullptr},
      {L"", nullptr, nullptr},
      {L"files/..", nullptr, nullptr},
  };
  for (const auto& item : cases) {
    SCOPED_TRACE(::testing::Message() << std::string(item.name, item.name + std::wcslen(item.name)));
    std::wstring why;
    const auto onPath = path.Resolve(item.name, &why);
    EXPECT_EQ(onPath.has_value(), item.onPath != nullptr);
    if (item.onPath && onPath) EXPECT_EQ(*onPath, item.onPath);
    if (!onPath) EXPECT_FALSE(why.empty()) << "a refusal says why";
    const auto onUrl = url.Resolve(item.name);
    EXPECT_EQ(onUrl.has_value(), item.onUrl != nullptr);
    if (item.onUrl && onUrl) EXPECT_EQ(*onUrl, item.onUrl);
  }
}

TEST(ScriptCalls, BookReadyAndTheInvokedName) {
  EXPECT_EQ(BookReadyCall(12),
            L"<invoke name=\"bookReady\" returntype=\"xml\"><arguments><number>12</number></arguments></invoke>");
  EXPECT_EQ(InvokedFunction(L"<invoke name=\"getPage\" returntype=\"xml\"><arguments></arguments></invoke>"),
            L"getPage");
  EXPECT_EQ(InvokedFunction(L"<invoke returntype='xml' name='x'/>"), L"x");
  EXPECT_FALSE(InvokedFunction(L"getPage"));
  EXPECT_FALSE(InvokedFunction(L"<invoke returntype=\"xml\"><arguments name=\"no\"/></invoke>"));
}

}  // namespace
}  // namespace pageplayer
