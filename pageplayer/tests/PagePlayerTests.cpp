#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "JpegPicture.h"
#include "SpreadLayout.h"
#include "TestBooks.h"
#include "TestHost.h"
#include "TestMovies.h"
#include "stage/StageRenderer.h"

namespace pageplayer::testing {
namespace {

using vell::player::kReadyStateComplete;

constexpr int kStageWidth = 800;
constexpr int kStageHeight = 500;
constexpr int kPageWidth = 300;
constexpr int kPageHeight = 400;

struct TBookParts {
  const char* signature = "FWS";
  std::size_t moviePadding = 0;
  int pages = 4;
  const char* configXml = nullptr;  // nullptr: the page list of `pages`
  const char* bookBin = "";         // "": none
  std::vector<int> missingPages{};
  std::vector<int> damagedPages{};
};

void WriteBook(TBookFolder& folder, const TBookParts& parts) {
  folder.Write("book.swf", MovieBytes(parts.signature, 1200, 800, parts.moviePadding));
  const std::string list = PageListFor(parts.pages);
  if (!parts.configXml) {
    folder.Write("files/config.xml", list);
  } else if (*parts.configXml) {
    folder.Write("files/config.xml", std::string(parts.configXml));
  }
  if (*parts.bookBin) folder.Write("files/book.bin", std::string(parts.bookBin));
  for (int page = 1; page <= parts.pages; ++page) {
    char name[32];
    std::snprintf(name, sizeof name, "files/pages/%03d.jpg", page);
    if (std::find(parts.missingPages.begin(), parts.missingPages.end(), page) != parts.missingPages.end()) continue;
    if (std::find(parts.damagedPages.begin(), parts.damagedPages.end(), page) != parts.damagedPages.end()) {
      folder.Write(name, std::string("not a picture at all"));
      continue;
    }
    const COLORREF colour = PageColour(page);
    folder.Write(name, SolidJpeg(kPageWidth, kPageHeight, GetRValue(colour), GetGValue(colour), GetBValue(colour)));
  }
}

// Where the spread's pages are on a stage of the test's size.
std::vector<TPlacedPage> SpreadPlaces(int pages = 2) {
  return LayoutSpread(kStageWidth, kStageHeight, std::vector<TPageSize>(pages, {kPageWidth, kPageHeight}), {});
}

// A point a quarter down a page, away from any text drawn on it.
POINT PaperPoint(const TPlacedPage& place) {
  return {(place.picture.left + place.picture.right) / 2, place.picture.top + place.picture.Height() / 4};
}

class PagePlayer : public ::testing::Test {
protected:
  void SetUp() override { host_.CreatePlayer(); }

  COLORREF PaperColour(const TPlacedPage& place) {
    int width = 0, height = 0;
    const auto pixels = host_.Capture(width, height);
    const POINT point = PaperPoint(place);
    return PixelAt(pixels, width, point.x, point.y);
  }

  void Key(WPARAM key) {
    SendMessageW(host_.StageWindow(), WM_KEYDOWN, key, 1);
    host_.PumpFor(10);
  }

  TTestHost host_{kStageWidth, kStageHeight};
  TBookFolder folder_;
};

::testing::AssertionResult ColourIs(COLORREF actual, COLORREF expected) {
  if (Near(actual, expected)) return ::testing::AssertionSuccess();
  char text[96];
  std::snprintf(text, sizeof text, "pixel %06lX, expected about %06lX", static_cast<unsigned long>(actual),
                static_cast<unsigned long>(expected));
  return ::testing::AssertionFailure() << text;
}

TEST_F(PagePlayer, ActivatesInPlaceAsAChildOfTheGivenParentAndAsksTheAmbientProperties) {
  EXPECT_EQ(host_.Events().inPlaceActivations, 1);
  const HWND stage = host_.StageWindow();
  ASSERT_NE(stage, nullptr);
  EXPECT_EQ(GetParent(stage), host_.Window());
  RECT client;
  GetClientRect(stage, &client);
  EXPECT_EQ(client.right, kStageWidth);
  EXPECT_EQ(client.bottom, kStageHeight);
  const auto& asked = host_.Events().ambientQuestions;
  EXPECT_NE(std::find(asked.begin(), asked.end(), DISPID_AMBIENT_BACKCOLOR), asked.end());
  EXPECT_NE(std::find(asked.begin(), asked.end(), DISPID_AMBIENT_USERMODE), asked.end());
  int width = 0, height = 0;
  const auto pixels = host_.Capture(width, height);
  EXPECT_TRUE(ColourIs(PixelAt(pixels, width, width / 2, height / 2), kHostBackground)) << "an empty stage";

  // Activated again with other bounds, it moves there.
  RECT smaller{10, 20, 410, 320};
  EXPECT_EQ(host_.Object().DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, nullptr, 0, host_.Window(), &smaller), S_OK);
  EXPECT_EQ(host_.StageWindow(), stage);
  GetClientRect(stage, &client);
  EXPECT_EQ(client.right, 400);
  EXPECT_EQ(host_.Events().inPlaceActivations, 1);

  // UI activation on top, once; closing ends both.
  host_.Activate(OLEIVERB_UIACTIVATE);
  host_.Activate(OLEIVERB_UIACTIVATE);
  EXPECT_EQ(host_.Events().uiActivations, 1);
  EXPECT_EQ(GetFocus(), stage);

  EXPECT_EQ(host_.Object().Close(OLECLOSE_NOSAVE), S_OK);
  EXPECT_EQ(host_.Events().uiDeactivations, 1);
  EXPECT_FALSE(IsWindow(stage));
  EXPECT_EQ(host_.StageWindow(), nullptr);
  EXPECT_EQ(host_.Events().inPlaceDeactivations, 1);
}

TEST_F(PagePlayer, PlaysAMovieWithAPlainOrACompressedHeader) {
  const struct {
    const char* signature;
    std::size_t padding;  // a large movie: only its first bytes are kept
  } cases[] = {{"FWS", 0}, {"CWS", 0}, {"FWS", 3 << 20}, {"CWS", 3 << 20}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.signature) + " + " + std::to_string(c.padding));
    host_.Events().scriptCalls.clear();
    WriteBook(folder_, {.signature = c.signature, .moviePadding = c.padding});
    host_.PlayMovie(folder_.PathOf("book.swf"));
    EXPECT_EQ(host_.Events().readyStates, (std::vector<long>{0, 3, 4}));
    ASSERT_FALSE(host_.Events().progress.empty());
    EXPECT_EQ(host_.Events().progress.back(), 100);
    EXPECT_EQ(host_.TotalFrames(), 4);
    EXPECT_EQ(host_.CurrentFrame(), 0);
    EXPECT_EQ(host_.Events().scriptCalls,
              std::vector<std::wstring>{
                  L"<invoke name=\"bookReady\" returntype=\"xml\"><arguments><number>4</number></arguments></invoke>"});
    const auto places = SpreadPlaces();
    EXPECT_TRUE(ColourIs(PaperColour(places[0]), PageColour(1)));
    EXPECT_TRUE(ColourIs(PaperColour(places[1]), PageColour(2)));
  }
}

TEST(PagePlayerHosting, AMovieSetBeforeInPlaceActivationShowsOnceActivated) {
  TBookFolder folder;
  WriteBook(folder, {});
  TTestHost host(kStageWidth, kStageHeight);
  host.CreatePlayer(false);
  host.PutMovie(folder.PathOf("book.swf"));
  ASSERT_TRUE(host.PumpUntil([&] { return host.Events().readyStates.size() == 3; }));
  EXPECT_EQ(host.Events().readyStates, (std::vector<long>{0, 3, 4}));
  EXPECT_EQ(host.StageWindow(), nullptr);
  host.Activate();
  int width = 0, height = 0;
  const auto pixels = host.Capture(width, height);
  const auto places = SpreadPlaces();
  const POINT left = PaperPoint(places[0]), right = PaperPoint(places[1]);
  EXPECT_TRUE(ColourIs(PixelAt(pixels, width, left.x, left.y), PageColour(1)));
  EXPECT_TRUE(ColourIs(PixelAt(pixels, width, right.x, right.y), PageColour(2)));
}

TEST_F(PagePlayer, AMovieGivenByUrlHasItsPagesFetchedThroughUrlMonikersToo) {
  WriteBook(folder_, {.pages = 3, .missingPages = {2}});
  std::wstring url = L"file:///" + folder_.PathOf("book.swf");
  for (wchar_t& c : url) {
    if (c == L'\\') c = L'/';
  }
  host_.PlayMovie(url);
  EXPECT_EQ(host_.Events().readyStates, (std::vector<long>{0, 3, 4}));
  ASSERT_EQ(host_.TotalFrames(), 3);
  const auto places = SpreadPlaces();
  // Pages arrive later than the book: until then they are blank paper.
  ASSERT_TRUE(host_.PumpUntil([&] { return Near(PaperColour(places[0]), PageColour(1)); }, 10000));
  ASSERT_TRUE(host_.PumpUntil([&] { return Near(PaperColour(places[1]), kFailedPageColour); }, 10000));
  Key(VK_RIGHT);
  ASSERT_TRUE(host_.PumpUntil([&] { return Near(PaperColour(SpreadPlaces(1)[0]), PageColour(3)); }, 10000))
      << "the last page alone";
}

TEST_F(PagePlayer, AFileWithoutAMovieHeaderShowsThatItIsNotPlayable) {
  folder_.Write("book.swf", std::string("GIF89a this is a picture, not a movie"));
  folder_.Write("files/config.xml", PageListFor(2));
  host_.PlayMovie(folder_.PathOf("book.swf"));
  EXPECT_EQ(host_.Events().readyStates, (std::vector<long>{0, 4}));
  EXPECT_EQ(host_.TotalFrames(), 0);
  EXPECT_TRUE(host_.Events().scriptCalls.empty());
  int width = 0, height = 0;
  const auto pixels = host_.Capture(width, height);
  // The message's letters: light pixels on the dark background, around the middle only.
  int lettersInMiddle = 0, lettersElsewhere = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (!Near(PixelAt(pixels, width, x, y), RGB(0xFF, 0xFF, 0xFF), 60)) continue;
      (std::abs(y - height / 2) < 20 ? lettersInMiddle : lettersElsewhere)++;
    }
  }
  EXPECT_GT(lettersInMiddle, 30);
  EXPECT_EQ(lettersElsewhere, 0);
  EXPECT_TRUE(ColourIs(PixelAt(pixels, width, 5, 5), kHostBackground));
}

TEST_F(PagePlayer, AnEmptyBlankOrUnloadableMovieClearsTheStage) {
  const auto places = SpreadPlaces();
  for (const wchar_t* cleared : {L"", L"   ", L"Z:\\no\\such\\folder\\book.swf"}) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(cleared)));
    WriteBook(folder_, {});
    host_.PlayMovie(folder_.PathOf("book.swf"));
    ASSERT_TRUE(ColourIs(PaperColour(places[0]), PageColour(1)));
    host_.Events().scriptCalls.clear();
    host_.PlayMovie(cleared);
    EXPECT_EQ(host_.TotalFrames(), 0);
    EXPECT_TRUE(host_.Events().scriptCalls.empty());
    int width = 0, height = 0;
    const auto pixels = host_.Capture(width, height);
    const auto background = std::count(pixels.begin(), pixels.end(), kHostBackground);
    EXPECT_EQ(background, static_cast<long>(pixels.size())) << "nothing but the background";
  }
}

TEST_F(PagePlayer, TakesThePageListFromConfigXmlElseFromBookBin) {
  const std::string five = PageListFor(5);
  const struct {
    const char* name;
    const char* configXml;
    const char* bookBin;
    long pages;
  } cases[] = {
      {"config.xml alone", nullptr, "", 4},
      {"book.bin alone", "", five.c_str(), 5},
      {"config.xml first", nullptr, five.c_str(), 4},
      {"an unusable config.xml", "<book title=\"x\"></book>", five.c_str(), 5},
      {"neither", "", "", 0},
      {"nothing usable", "garbage", "<html/>", 0},
  };
  for (const auto& testCase : cases) {
    SCOPED_TRACE(testCase.name);
    TBookFolder folder;
    WriteBook(folder, {.configXml = testCase.configXml, .bookBin = testCase.bookBin});
    host_.PlayMovie(folder.PathOf("book.swf"));
    EXPECT_EQ(host_.Events().readyStates, (std::vector<long>{0, 3, 4}));
    EXPECT_EQ(host_.TotalFrames(), testCase.pages);
    if (testCase.pages == 0) {
      // No pages: the message instead of paper.
      EXPECT_FALSE(Near(PaperColour(SpreadPlaces()[0]), PageColour(1)));
    } else {
      EXPECT_TRUE(ColourIs(PaperColour(SpreadPlaces()[0]), PageColour(1)));
    }
  }
}

TEST_F(PagePlayer, APageThatCannotBeReadShowsAGreyPageInItsPlace) {
  WriteBook(folder_, {.pages = 4, .missingPages = {2}, .damagedPages = {3}});
  host_.PlayMovie(folder_.PathOf("book.swf"));
  ASSERT_EQ(host_.TotalFrames(), 4);
  const auto places = SpreadPlaces();
  EXPECT_TRUE(ColourIs(PaperColour(places[0]), PageColour(1)));
  EXPECT_TRUE(ColourIs(PaperColour(places[1]), kFailedPageColour)) << "missing page 2";
  Key(VK_RIGHT);
  EXPECT_TRUE(ColourIs(PaperColour(places[0]), kFailedPageColour)) << "damaged page 3";
  EXPECT_TRUE(ColourIs(PaperColour(places[1]), PageColour(4)));

  // Its message is written on the grey page.
  int width = 0, height = 0;
  const auto pixels = host_.Capture(width, height);
  int letters = 0;
  const TBox& grey = places[0].picture;
  for (int y = grey.top; y < grey.bottom; ++y) {
    for (int x = grey.left; x < grey.right; ++x) letters += PixelAt(pixels, width, x, y) == RGB(0, 0, 0);
  }
  EXPECT_GT(letters, 30);
}

TEST_F(PagePlayer, KeysClicksAndTheScriptingMethodsMoveTheCurrentPage) {
  WriteBook(folder_, {.pages = 6});
  host_.PlayMovie(folder_.PathOf("book.swf"));
  ASSERT_EQ(host_.TotalFrames(), 6);
  const struct {
    WPARAM key;
    long frame;
  } steps[] = {
      {VK_RIGHT, 2}, {VK_NEXT, 4}, {VK_SPACE, 4}, {VK_LEFT, 2}, {VK_END, 5},
      {VK_PRIOR, 2}, {VK_HOME, 0}, {VK_LEFT, 0},  {VK_SPACE, 2},
  };
  for (const auto& step : steps) {
    Key(step.key);
    EXPECT_EQ(host_.CurrentFrame(), step.frame) << "after key " << step.key;
    EXPECT_EQ(host_.CurrentPageVariable(), std::to_wstring(step.frame + 1));
  }
  const auto places = SpreadPlaces();
  EXPECT_TRUE(ColourIs(PaperColour(places[0]), PageColour(3)));
  EXPECT_TRUE(ColourIs(PaperColour(places[1]), PageColour(4)));

  SendMessageW(host_.StageWindow(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(kStageWidth - 10, 100));
  EXPECT_EQ(host_.CurrentFrame(), 4) << "a click on the right half";
  SendMessageW(host_.StageWindow(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 100));
  EXPECT_EQ(host_.CurrentFrame(), 2) << "a click on the left half";

  auto& player = host_.Player();
  EXPECT_EQ(player.GotoFrame(5), S_OK);
  EXPECT_EQ(host_.CurrentFrame(), 5);
  long frameNum = -1;
  player.get_FrameNum(&frameNum);
  EXPECT_EQ(frameNum, 5);
  BSTR name = SysAllocString(L"currentPage");
  BSTR value = SysAllocString(L"2");
  EXPECT_EQ(player.SetVariable(name, value), S_OK);
  EXPECT_EQ(host_.CurrentFrame(), 1);
  BSTR request = SysAllocString(L"<invoke name=\"getPage\" returntype=\"xml\"><arguments></arguments></invoke>");
  BSTR answer = nullptr;
  EXPECT_EQ(player.CallFunction(request, &answer), S_OK);
  EXPECT_STREQ(answer, L"<number>2</number>");
  SysFreeString(answer);
  SysFreeString(request);
  SysFreeString(value);
  SysFreeString(name);
}

TEST_F(PagePlayer, F11TogglesFullScreenAndEscapeLeavesIt) {
  WriteBook(folder_, {});
  host_.PlayMovie(folder_.PathOf("book.swf"));
  Key(VK_F11);
  Key(VK_F11);
  Key(VK_F11);
  Key(VK_ESCAPE);
  // A double click zooms instead.
  SendMessageW(host_.StageWindow(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(100, 100));
  Key(VK_F11);
  using TCommand = std::pair<std::wstring, std::wstring>;
  EXPECT_EQ(host_.Events().fsCommands, (std::vector<TCommand>{{L"fullscreen", L"true"},
                                                               {L"fullscreen", L"false"},
                                                               {L"fullscreen", L"true"},
                                                               {L"fullscreen", L"false"},
                                                               {L"fullscreen", L"true"}}));
}

TEST_F(PagePlayer, PropertiesKeepTheirValuesAndUnusedMethodsSaySo) {
  auto& player = host_.Player();
  EXPECT_EQ(player.put_Quality(2), S_OK);
  long quality = 0;
  player.get_Quality(&quality);
  EXPECT_EQ(quality, 2);
  BSTR text = SysAllocString(L"transparent");
  EXPECT_EQ(player.put_WMode(text), S_OK);
  SysFreeString(text);
  BSTR wmode = nullptr;
  player.get_WMode(&wmode);
  EXPECT_STREQ(wmode, L"transparent");
  SysFreeString(wmode);
  EXPECT_EQ(player.put_Loop(VARIANT_FALSE), S_OK);
  VARIANT_BOOL loop = VARIANT_TRUE;
  player.get_Loop(&loop);
  EXPECT_EQ(loop, VARIANT_FALSE);
  long version = 0;
  EXPECT_EQ(player.PlayerVersion(&version), S_OK);
  EXPECT_EQ((version >> 16) & 0xFF, 10);
  EXPECT_EQ(player.TStopPlay(nullptr), E_NOTIMPL);

  // The movie goes into layer 0 alone, and Movie reads back what was set.
  WriteBook(folder_, {});
  BSTR movie = SysAllocString(folder_.PathOf("book.swf").c_str());
  EXPECT_EQ(player.LoadMovie(1, movie), E_NOTIMPL);
  EXPECT_EQ(player.LoadMovie(0, movie), S_OK);
  ASSERT_TRUE(host_.PumpUntil([&] { return host_.TotalFrames() == 4; }));
  BSTR readBack = nullptr;
  player.get_Movie(&readBack);
  EXPECT_STREQ(readBack, movie);
  SysFreeString(readBack);
  SysFreeString(movie);
  EXPECT_EQ(player.UnusedInThisLayout90(), E_NOTIMPL);
}

TEST_F(PagePlayer, TheBookMakersDemoBookFromAPlainPathShowsItsFirstSpread) {
  const char* demo = std::getenv("PAGEPLAYER_DEMO_BOOK");
  ASSERT_NE(demo, nullptr) << "run through CTest, which unpacks the demo book";
  const std::string folder(demo);
  const std::wstring movie = std::wstring(folder.begin(), folder.end()) + L"\\book.swf";
  host_.PlayMovie(movie);
  EXPECT_EQ(host_.Events().readyStates, (std::vector<long>{0, 3, 4}));
  ASSERT_GT(host_.TotalFrames(), 1);
  if (const char* capture = std::getenv("PAGEPLAYER_CAPTURE")) {
    const std::string path(capture);
    host_.SaveCapture(std::wstring(path.begin(), path.end()));
  }
  // Time for a screenshot from outside, when one is wanted.
  if (const char* show = std::getenv("PAGEPLAYER_SHOW_MS")) host_.PumpFor(std::atoi(show));

  std::vector<TPicture> pictures;
  for (const char* page : {"\\files\\pages\\001.jpg", "\\files\\pages\\002.jpg"}) {
    std::ifstream in(folder + page, std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    auto picture = DecodeJpeg(bytes);
    ASSERT_TRUE(picture) << page;
    pictures.push_back(std::move(*picture));
  }
  const auto places = LayoutSpread(kStageWidth, kStageHeight,
                                   {{pictures[0].width, pictures[0].height}, {pictures[1].width, pictures[1].height}}, {});
  int width = 0, height = 0;
  const auto pixels = host_.Capture(width, height);
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(i + 1);
    // The same spot of the page on the stage and in its picture: plain paper
    // above the page's big number, whose edges any resampling moves.
    const POINT onStage{PaperPoint(places[i]).x, places[i].picture.top + places[i].picture.Height() / 6};
    const double fx = double(onStage.x - places[i].picture.left) / places[i].picture.Width();
    const double fy = double(onStage.y - places[i].picture.top) / places[i].picture.Height();
    const std::uint32_t source =
        pictures[i].pixels[int(fy * pictures[i].height) * pictures[i].width + int(fx * pictures[i].width)];
    EXPECT_TRUE(ColourIs(PixelAt(pixels, width, onStage.x, onStage.y),
                         RGB((source >> 16) & 0xFF, (source >> 8) & 0xFF, source & 0xFF)));
    EXPECT_TRUE(ColourIs(PixelAt(pixels, width, onStage.x, places[i].picture.top - 3), kHostBackground))
        << "the stage above the page";
  }
  EXPECT_FALSE(Near(PixelAt(pixels, width, PaperPoint(places[0]).x, PaperPoint(places[0]).y),
                    PixelAt(pixels, width, PaperPoint(places[1]).x, PaperPoint(places[1]).y)))
      << "two different pages";
}

TEST_F(PagePlayer, OffersConnectionPointsForItsEventsAndForPropertyChanges) {
  IConnectionPointContainer* container = nullptr;
  ASSERT_EQ(host_.Object().QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container)), S_OK);
  IConnectionPoint* changes = nullptr;
  ASSERT_EQ(container->FindConnectionPoint(IID_IPropertyNotifySink, &changes), S_OK);
  IConnectionPoint* none = nullptr;
  EXPECT_EQ(container->FindConnectionPoint(IID_IDispatch, &none), CONNECT_E_NOCONNECTION);
  container->Release();

  // A sink that is no property sink is refused.
  DWORD cookie = 0;
  EXPECT_EQ(changes->Advise(&host_.Object(), &cookie), CONNECT_E_CANNOTCONNECT);

  struct TChanges final : IPropertyNotifySink {
    std::vector<DISPID> changed;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
      *object = IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IPropertyNotifySink) ? this : nullptr;
      return *object ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE OnChanged(DISPID id) override {
      changed.push_back(id);
      return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID) override { return S_OK; }
  } sink;
  ASSERT_EQ(changes->Advise(&sink, &cookie), S_OK);
  WriteBook(folder_, {});
  host_.PlayMovie(folder_.PathOf("book.swf"));
  EXPECT_EQ(sink.changed, (std::vector<DISPID>{DISPID_READYSTATE, DISPID_READYSTATE, DISPID_READYSTATE}));
  EXPECT_EQ(changes->Unadvise(cookie), S_OK);
  EXPECT_EQ(changes->Unadvise(cookie), CONNECT_E_NOCONNECTION);
  changes->Release();
}

// Last in this program: it unloads the module.
TEST(PagePlayerModule, ItsWindowClassGoesWhenTheModuleMayBeUnloadedAndWhenItIs) {
  const auto playerLivedAndWent = [] {
    TTestHost host(200, 100);
    host.CreatePlayer();
    ASSERT_NE(host.StageWindow(), nullptr);
  };
  playerLivedAndWent();
  const HMODULE module = GetModuleHandleW(L"pageplayer.dll");
  ASSERT_NE(module, nullptr);
  WNDCLASSEXW found{};
  found.cbSize = sizeof found;
  EXPECT_TRUE(GetClassInfoExW(module, L"PagePlayerStage", &found)) << "kept while the module may still be used";

  using TCanUnloadNow = HRESULT(STDAPICALLTYPE*)();
  auto canUnloadNow = reinterpret_cast<TCanUnloadNow>(reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
  ASSERT_NE(canUnloadNow, nullptr);
  EXPECT_EQ(canUnloadNow(), S_OK);
  EXPECT_FALSE(GetClassInfoExW(module, L"PagePlayerStage", &found)) << "the class outlived the last object";

  // A later object registers it again; it keeps the module.
  {
    TTestHost host(200, 100);
    host.CreatePlayer();
    EXPECT_TRUE(GetClassInfoExW(module, L"PagePlayerStage", &found));
    EXPECT_EQ(canUnloadNow(), S_FALSE);
  }

  // Unloaded without being asked first: the class goes with the module.
  while (FreeLibrary(module)) {
  }
  EXPECT_EQ(GetModuleHandleW(L"pageplayer.dll"), nullptr);
  EXPECT_FALSE(GetClassInfoExW(module, L"PagePlayerStage", &found)) << "a class procedure in freed memory";
}

}  // namespace
}  // namespace pageplayer::testing

namespace pageplayer::testing {
namespace {

// A host whose event handler loads another movie, or none, in the middle of
// the player's own work.
TEST_F(PagePlayer, AHostThatSetsAnotherMovieFromInsideAnEventGetsThatMovieWhole) {
  TBookFolder other;
  WriteBook(other, {.pages = 6});
  const std::wstring otherMovie = other.PathOf("book.swf");
  const struct {
    const char* what;
    DISPID event;
    long state;  // for ready-state events
    bool clears;
  } cases[] = {
      {"another movie while the first is loading", vell::player::kDispidReadyStateChange, 0, false},
      {"another movie once the first is interactive", vell::player::kDispidReadyStateChange, 3, false},
      {"another movie once the first is complete", vell::player::kDispidReadyStateChange, 4, false},
      {"another movie when the book says it is ready", vell::player::kDispidMovieCall, 0, false},
      {"no movie when the book says it is ready", vell::player::kDispidMovieCall, 0, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    WriteBook(folder_, {.pages = 4});
    bool fired = false;
    host_.Events().onEvent = [&](DISPID id, long number, const std::wstring&) {
      if (fired || id != c.event || (id == vell::player::kDispidReadyStateChange && number != c.state)) return;
      fired = true;
      host_.PutMovie(c.clears ? L"" : otherMovie);
    };
    host_.Events().scriptCalls.clear();
    host_.PlayMovie(folder_.PathOf("book.swf"));
    host_.PumpFor(100);
    host_.Events().onEvent = nullptr;
    ASSERT_TRUE(fired);
    long state = -1;
    host_.Player().GetReadyState(&state);
    EXPECT_EQ(state, kReadyStateComplete);
    if (c.clears) {
      EXPECT_EQ(host_.TotalFrames(), 0);
      int width = 0, height = 0;
      const auto pixels = host_.Capture(width, height);
      EXPECT_EQ(std::count(pixels.begin(), pixels.end(), kHostBackground), static_cast<long>(pixels.size()));
      continue;
    }
    EXPECT_EQ(host_.TotalFrames(), 6);
    Key(VK_END);
    EXPECT_TRUE(ColourIs(PaperColour(SpreadPlaces()[0]), PageColour(5))) << "the other book's pages";
    EXPECT_TRUE(ColourIs(PaperColour(SpreadPlaces()[1]), PageColour(6)));
  }
}

TEST_F(PagePlayer, HeldKeysLandOnTheLastSpreadAskedForAndNoOvertakenPageIsMarkedFailed) {
  constexpr int kPages = 26;
  folder_.Write("book.swf", MovieBytes("FWS", 1200, 800));
  folder_.Write("files/config.xml", PageListFor(kPages));
  for (int page = 1; page <= kPages; ++page) {
    char name[32];
    std::snprintf(name, sizeof name, "files/pages/%03d.jpg", page);
    const COLORREF colour = PageColour(page);
    folder_.Write(name, SolidJpeg(1200, 1600, GetRValue(colour), GetGValue(colour), GetBValue(colour)));
  }
  host_.PlayMovie(folder_.PathOf("book.swf"));
  ASSERT_EQ(host_.TotalFrames(), kPages);
  // Twelve key repeats 20 ms apart, far faster than pages of this size decode.
  for (int press = 0; press < 12; ++press) {
    SendMessageW(host_.StageWindow(), WM_KEYDOWN, VK_RIGHT, 1 | (press > 0 ? 1u << 30 : 0));
    host_.PumpFor(20);
  }
  EXPECT_EQ(host_.CurrentFrame(), 24);
  const auto places = SpreadPlaces();
  EXPECT_TRUE(ColourIs(PaperColour(places[0]), PageColour(25)));
  EXPECT_TRUE(ColourIs(PaperColour(places[1]), PageColour(26)));
  Key(VK_HOME);
  for (int first = 1; first <= kPages; first += 2) {
    SCOPED_TRACE(first);
    EXPECT_TRUE(ColourIs(PaperColour(places[0]), PageColour(first)));
    EXPECT_TRUE(ColourIs(PaperColour(places[1]), PageColour(first + 1)));
    Key(VK_RIGHT);
  }
}

TEST_F(PagePlayer, AResizedStageShowsTheCachedPagesAtOnce) {
  WriteBook(folder_, {.pages = 4});
  host_.PlayMovie(folder_.PathOf("book.swf"));
  ASSERT_TRUE(ColourIs(PaperColour(SpreadPlaces()[0]), PageColour(1)));
  RECT smaller{0, 0, kStageWidth - 200, kStageHeight - 100};
  ASSERT_EQ(host_.Object().DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, nullptr, 0, host_.Window(), &smaller), S_OK);
  int width = 0, height = 0;
  const auto pixels = host_.CaptureNow(width, height);
  const auto places = LayoutSpread(width, height, {{kPageWidth, kPageHeight}, {kPageWidth, kPageHeight}}, {});
  const POINT left = PaperPoint(places[0]);
  EXPECT_TRUE(ColourIs(PixelAt(pixels, width, left.x, left.y), PageColour(1))) << "drawn from what was decoded";
  // Decoded again for the new size in the background, the page stays.
  host_.PumpFor(200);
  const auto later = host_.Capture(width, height);
  EXPECT_TRUE(ColourIs(PixelAt(later, width, left.x, left.y), PageColour(1)));
}

}  // namespace
}  // namespace pageplayer::testing
