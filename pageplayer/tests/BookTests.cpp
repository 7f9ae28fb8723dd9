#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <vector>

#include "BookNavigator.h"
#include "MovieAddress.h"
#include "MovieHeader.h"
#include "PageList.h"
#include "ScriptCalls.h"
#include "SpreadLayout.h"

namespace pageplayer {
namespace {

// A movie header for a stage of the given pixels, as the book maker writes it:
// 15-bit twips fields, 24 frames a second, 7 frames.
std::vector<std::uint8_t> Movie(const char* signature, int width, int height) {
  std::vector<std::uint8_t> body;
  std::uint64_t bits = 0;
  int used = 0;
  auto put = [&](std::uint32_t value, int count) {
    for (int i = count - 1; i >= 0; --i) {
      bits = (bits << 1) | ((value >> i) & 1);
      if (++used == 8) {
        body.push_back(static_cast<std::uint8_t>(bits));
        bits = 0;
        used = 0;
      }
    }
  };
  put(16, 5);
  put(0, 16);
  put(width * 20, 16);
  put(0, 16);
  put(height * 20, 16);
  if (used) put(0, 8 - used);
  for (std::uint8_t byte : {0, 24, 7, 0, 0, 0}) body.push_back(byte);
  const auto length = static_cast<std::uint32_t>(8 + body.size());
  std::vector<std::uint8_t> movie{static_cast<std::uint8_t>(signature[0]), static_cast<std::uint8_t>(signature[1]),
                                  static_cast<std::uint8_t>(signature[2]), 10};
  for (int i = 0; i < 4; ++i) movie.push_back(static_cast<std::uint8_t>(length >> (8 * i)));
  if (signature[0] == 'C') {
    uLongf size = compressBound(body.size());
    std::vector<std::uint8_t> packed(size);
    compress(packed.data(), &size, body.data(), body.size());
    packed.resize(size);
    body = packed;
  }
  movie.insert(movie.end(), body.begin(), body.end());
  return movie;
}

TEST(MovieHeader, PlainAndCompressedMoviesGiveTheirStage) {
  for (const char* signature : {"FWS", "CWS"}) {
    SCOPED_TRACE(signature);
    const auto header = ReadMovieHeader(Movie(signature, 1200, 800));
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
  auto compressedGarbage = Movie("CWS", 100, 100);
  compressedGarbage.resize(8);
  compressedGarbage.insert(compressedGarbage.end(), {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
  auto truncated = Movie("FWS", 100, 100);
  truncated.resize(12);
  auto shortLength = Movie("FWS", 100, 100);
  shortLength[4] = 9;
  const std::vector<std::vector<std::uint8_t>> refused = {
      {},
      {'F', 'W', 'S'},
      Movie("GWS", 100, 100),
      Movie("fws", 100, 100),
      Movie("FWX", 100, 100),
      Movie("FWS", 0, 100),
      compressedGarbage,
      truncated,
      shortLength,
      std::vector<std::uint8_t>{'<', 'h', 't', 'm', 'l', '>', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '},
  };
  for (std::size_t i = 0; i < refused.size(); ++i) EXPECT_FALSE(ReadMovieHeader(refused[i])) << "case " << i;
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
