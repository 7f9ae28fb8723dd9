#include <gtest/gtest.h>

#include <cstdint>
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
