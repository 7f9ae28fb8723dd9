#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "SpreadLayout.h"
#include "TestBooks.h"
#include "TestHost.h"
#include "TestMovies.h"

// Zoom, pan, the wheel and one page or two, seen on the stage's pixels.
namespace pageplayer::testing {
namespace {

constexpr int kStageWidth = 800;
constexpr int kStageHeight = 500;
// Pages far larger than they show: fitted, a page is 345 x 460 pixels.
constexpr int kPageWidth = 1200;
constexpr int kPageHeight = 1600;
constexpr int kPages = 6;

// Page 1 carries a black square, page 2 a patch of stripes two pixels wide
// that only a picture at full resolution shows apart.
constexpr RECT kSquare{780, 900, 1020, 1140};
constexpr RECT kStripes{150, 1200, 550, 1500};
constexpr COLORREF kStripeLight = RGB(0xFF, 0xFF, 0xFF);
constexpr COLORREF kStripeDark = RGB(0x5A, 0x5A, 0x5A);

bool Inside(const RECT& box, int x, int y) { return x >= box.left && x < box.right && y >= box.top && y < box.bottom; }

std::vector<std::uint8_t> PagePicture(int page) {
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(kPageWidth) * kPageHeight * 3);
  for (int y = 0; y < kPageHeight; ++y) {
    for (int x = 0; x < kPageWidth; ++x) {
      COLORREF colour = PageColour(page);
      if (page == 1 && Inside(kSquare, x, y)) colour = RGB(0, 0, 0);
      if (page == 2 && Inside(kStripes, x, y)) colour = (x / 2) % 2 ? kStripeDark : kStripeLight;
      std::uint8_t* pixel = &rgb[(static_cast<std::size_t>(y) * kPageWidth + x) * 3];
      pixel[0] = GetRValue(colour);
      pixel[1] = GetGValue(colour);
      pixel[2] = GetBValue(colour);
    }
  }
  return JpegOfPixels(kPageWidth, kPageHeight, rgb);
}

void WriteBook(TBookFolder& folder, int pages) {
  folder.Write("book.swf", MovieBytes("FWS", 1200, 800));
  folder.Write("files/config.xml", PageListFor(pages));
  for (int page = 1; page <= pages; ++page) {
    char name[32];
    std::snprintf(name, sizeof name, "files/pages/%03d.jpg", page);
    folder.Write(name, PagePicture(page));
  }
}

// The black square as the stage shows it.
struct TFeature {
  int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
  bool Found() const { return right >= left; }
  int Width() const { return right - left + 1; }
  int Height() const { return bottom - top + 1; }
  double CentreX() const { return (left + right) / 2.0; }
  double CentreY() const { return (top + bottom) / 2.0; }
};

TFeature FindSquare(const std::vector<COLORREF>& pixels, int width, int height) {
  TFeature found;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (!Near(PixelAt(pixels, width, x, y), RGB(0, 0, 0), 50)) continue;
      found.left = std::min(found.left, x);
      found.right = std::max(found.right, x);
      found.top = std::min(found.top, y);
      found.bottom = std::max(found.bottom, y);
    }
  }
  return found;
}

std::ostream& operator<<(std::ostream& out, const TFeature& feature) {
  return out << "square " << feature.left << "," << feature.top << " to " << feature.right << "," << feature.bottom;
}

// Light and dark stripes told apart around the point: the picture drawn has
// at least the page's own resolution there.
bool StripesShowAt(const std::vector<COLORREF>& pixels, int width, POINT at) {
  int light = 0, dark = 0;
  for (int x = at.x - 20; x < at.x + 20; ++x) {
    const COLORREF pixel = PixelAt(pixels, width, x, at.y);
    light += Near(pixel, kStripeLight, 40);
    dark += Near(pixel, kStripeDark, 40);
  }
  return light >= 10 && dark >= 10;
}

class PagePlayerView : public ::testing::Test {
protected:
  void SetUp() override {
    host_.CreatePlayer();
    WriteBook(folder_, kPages);
    host_.PlayMovie(folder_.PathOf("book.swf"));
    ASSERT_EQ(host_.TotalFrames(), kPages);
    fitted_ = Square();
    ASSERT_TRUE(fitted_.Found());
  }

  TFeature Square() {
    int width = 0, height = 0;
    const auto pixels = host_.Capture(width, height);
    return FindSquare(pixels, width, height);
  }

  // Saved for a person to look at when the test runs through CTest.
  void Save(const char* name) {
    if (const char* folder = std::getenv("PAGEPLAYER_VIEW_CAPTURES")) {
      const std::string path = std::string(folder) + "\\" + name + ".bmp";
      host_.SaveCapture(std::wstring(path.begin(), path.end()));
    }
  }

  TTestHost host_{kStageWidth, kStageHeight};
  TBookFolder folder_;
  TFeature fitted_;
};

// The square as a view of this magnification shows it, when the view's
// middle is at (viewX, viewY) of the fitted stage.
::testing::AssertionResult Magnified(const TFeature& seen, const TFeature& fitted, double magnification, double viewX,
                                     double viewY) {
  const double expectedX = kStageWidth / 2.0 + (fitted.CentreX() - viewX) * magnification;
  const double expectedY = kStageHeight / 2.0 + (fitted.CentreY() - viewY) * magnification;
  const double expectedWidth = fitted.Width() * magnification;
  if (seen.Found() && std::abs(seen.Width() - expectedWidth) <= 3 + magnification &&
      std::abs(seen.Height() - expectedWidth) <= 3 + magnification && std::abs(seen.CentreX() - expectedX) <= 3 &&
      std::abs(seen.CentreY() - expectedY) <= 3) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << seen << ", expected about " << expectedWidth << " wide around " << expectedX
                                       << "," << expectedY;
}

TEST_F(PagePlayerView, ZoomSetZoomRectAndPanMoveTheViewAndZeroFitsAgain) {
  auto& player = host_.Player();
  const double middleX = kStageWidth / 2.0, middleY = kStageHeight / 2.0;

  ASSERT_EQ(player.Zoom(50), S_OK);
  EXPECT_TRUE(Magnified(Square(), fitted_, 2, middleX, middleY)) << "half the view: twice the size";

  // 100 pixels of the window are 50 of the stage at twice its size.
  ASSERT_EQ(player.Pan(100, 0, 0), S_OK);
  EXPECT_TRUE(Magnified(Square(), fitted_, 2, middleX + 50, middleY));
  // A tenth of the view's height (250) up.
  ASSERT_EQ(player.Pan(0, -10, 1), S_OK);
  EXPECT_TRUE(Magnified(Square(), fitted_, 2, middleX + 50, middleY - 25));
  EXPECT_EQ(player.Pan(10, 10, 2), E_INVALIDARG) << "no such mode";

  // A rectangle of the stage's shape around the square: five times the fit.
  const int cx = static_cast<int>(fitted_.CentreX()), cy = static_cast<int>(fitted_.CentreY());
  ASSERT_EQ(player.SetZoomRect(cx - 80, cy - 50, cx + 80, cy + 50), S_OK);
  const TFeature rect = Square();
  EXPECT_NEAR(rect.Width(), fitted_.Width() * 5, 8) << rect;
  EXPECT_NEAR(rect.CentreX(), middleX, 4) << rect;
  EXPECT_NEAR(rect.CentreY(), middleY, 4) << rect;
  Save("zoom-rect");

  ASSERT_EQ(player.Zoom(0), S_OK);
  EXPECT_TRUE(Magnified(Square(), fitted_, 1, middleX, middleY)) << "fitted again";

  // A zoom belongs to its spread: turning away and back finds the fit.
  ASSERT_EQ(player.Zoom(50), S_OK);
  ASSERT_EQ(player.Forward(), S_OK);
  EXPECT_FALSE(Square().Found());
  ASSERT_EQ(player.Back(), S_OK);
  EXPECT_TRUE(Magnified(Square(), fitted_, 1, middleX, middleY)) << "the turn fitted the view";
}

TEST_F(PagePlayerView, AZoomedSpreadIsDrawnFromItsFullResolutionPictures) {
  // Fitted, the stripes are averaged into one grey.
  const POINT stripes{457, 396};  // inside the patch on the right-hand page
  int width = 0, height = 0;
  EXPECT_FALSE(StripesShowAt(host_.Capture(width, height), width, stripes));
  // A double click shows the page's own pixels around the pointer.
  SendMessageW(host_.StageWindow(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(stripes.x, stripes.y));
  std::vector<COLORREF> pixels;
  EXPECT_TRUE(host_.PumpUntil([&] {
    pixels = host_.CaptureNow(width, height);
    return StripesShowAt(pixels, width, stripes);
  }, 10000)) << "decoded again at full resolution";
  Save("actual-size");
  EXPECT_EQ(host_.CurrentFrame(), 0);
  // Twice as many window pixels as picture pixels would show stripes four wide.
  int runs = 0;
  for (int x = stripes.x - 20; x < stripes.x + 20; ++x) {
    runs += Near(PixelAt(pixels, width, x, stripes.y), kStripeLight, 40) !=
            Near(PixelAt(pixels, width, x + 1, stripes.y), kStripeLight, 40);
  }
  EXPECT_GE(runs, 14) << "about one window pixel per picture pixel";

  SendMessageW(host_.StageWindow(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(stripes.x, stripes.y));
  EXPECT_TRUE(Magnified(Square(), fitted_, 1, kStageWidth / 2.0, kStageHeight / 2.0)) << "a second double click fits";
}

TEST_F(PagePlayerView, OnePageOrTwoAsTheHostChoosesOrAsTheStageIsShaped) {
  auto& player = host_.Player();
  const auto set = [&](const wchar_t* value) {
    BSTR name = SysAllocString(L"pageLayout");
    BSTR text = SysAllocString(value);
    const HRESULT result = player.SetVariable(name, text);
    SysFreeString(text);
    SysFreeString(name);
    return result;
  };
  const auto layout = [&] {
    BSTR name = SysAllocString(L"pageLayout");
    BSTR value = nullptr;
    player.GetVariable(name, &value);
    std::wstring text = value ? value : L"";
    SysFreeString(value);
    SysFreeString(name);
    return text;
  };
  // The colour a third of the way down each place of a spread of `count` pages.
  const auto shown = [&](int count) {
    int width = 0, height = 0;
    const auto pixels = host_.Capture(width, height);
    std::vector<COLORREF> colours;
    for (const TPlacedPage& place :
         LayoutSpread(width, height, std::vector<TPageSize>(count, {kPageWidth, kPageHeight}), {})) {
      colours.push_back(PixelAt(pixels, width, (place.picture.left + place.picture.right) / 2,
                                place.picture.top + place.picture.Height() / 3));
    }
    return colours;
  };
  EXPECT_EQ(layout(), L"auto");
  ASSERT_EQ(player.Forward(), S_OK);
  ASSERT_EQ(player.Forward(), S_OK);
  ASSERT_EQ(host_.CurrentFrame(), 4);

  ASSERT_EQ(set(L"single"), S_OK);
  EXPECT_EQ(layout(), L"single");
  auto colours = shown(1);
  EXPECT_TRUE(Near(colours[0], PageColour(5))) << "the current page alone on a wide stage";
  ASSERT_EQ(player.Forward(), S_OK);
  EXPECT_EQ(host_.CurrentFrame(), 5) << "one page a turn";

  EXPECT_EQ(set(L"sideways"), E_INVALIDARG);
  EXPECT_EQ(layout(), L"single") << "an unknown value changes nothing";

  ASSERT_EQ(set(L"two"), S_OK);
  colours = shown(2);
  EXPECT_TRUE(Near(colours[0], PageColour(5)) && Near(colours[1], PageColour(6))) << "its spread, pages 5 and 6";

  // The choice belongs to the player, not to the movie.
  TBookFolder other;
  WriteBook(other, 3);
  host_.PlayMovie(other.PathOf("book.swf"));
  EXPECT_EQ(layout(), L"two");
  RECT portrait{0, 0, 300, kStageHeight};
  ASSERT_EQ(host_.Object().DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, nullptr, 0, host_.Window(), &portrait), S_OK);
  int width = 0, height = 0;
  auto pixels = host_.Capture(width, height);
  const auto two = LayoutSpread(width, height, std::vector<TPageSize>(2, {kPageWidth, kPageHeight}), {});
  EXPECT_TRUE(Near(PixelAt(pixels, width, (two[1].picture.left + two[1].picture.right) / 2, two[1].picture.bottom - 5),
                   PageColour(2)))
      << "two pages even in a portrait window";
  ASSERT_EQ(set(L"auto"), S_OK);
  colours = shown(1);
  EXPECT_TRUE(Near(colours[0], PageColour(1))) << "a portrait window shows one page";
  Save("portrait");
}

// Real input: keys, wheel and pointer through the system's input queue.
class PagePlayerInput : public PagePlayerView {
protected:
  void SetUp() override {
    PagePlayerView::SetUp();
    if (HasFatalFailure()) return;
    SetForegroundWindow(host_.Window());
    SetFocus(host_.StageWindow());
    host_.PumpFor(50);
  }

  void Send(INPUT input) {
    SendInput(1, &input, sizeof input);
    host_.PumpFor(30);
  }
  void Key(WORD key, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    Send(input);
  }
  void CtrlKey(WORD key) {
    Key(VK_CONTROL, false);
    Key(key, false);
    Key(key, true);
    Key(VK_CONTROL, true);
  }
  void Mouse(DWORD flags, int x = 0, int y = 0, int wheel = 0) {
    POINT point{x, y};
    ClientToScreen(host_.StageWindow(), &point);
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(point.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(point.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.mouseData = static_cast<DWORD>(wheel);
    input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    Send(input);
  }
  void Wheel(int delta) { Mouse(MOUSEEVENTF_WHEEL, kStageWidth / 2, kStageHeight / 2, delta); }
};

TEST_F(PagePlayerInput, CtrlPlusMagnifiesDraggingMovesCtrlZeroFitsAndTheWheelTurns) {
  const double middleX = kStageWidth / 2.0, middleY = kStageHeight / 2.0;
  Save("fitted");
  CtrlKey(VK_OEM_PLUS);
  CtrlKey(VK_ADD);
  const TFeature zoomed = Square();
  EXPECT_TRUE(Magnified(zoomed, fitted_, 1.25 * 1.25, middleX, middleY)) << "twice Ctrl+Plus";
  Save("ctrl-plus-twice");

  // The page follows the pointer, past the system's drag distance in small steps.
  Mouse(0, 300, 200);
  Mouse(MOUSEEVENTF_LEFTDOWN, 300, 200);
  for (int step = 1; step <= 6; ++step) Mouse(0, 300 + step * 20, 200 + step * 10);
  Mouse(MOUSEEVENTF_LEFTUP, 420, 260);
  host_.PumpFor(GetDoubleClickTime() + 100);
  EXPECT_EQ(host_.CurrentFrame(), 0) << "a drag turns no page";
  const TFeature dragged = Square();
  EXPECT_NEAR(dragged.CentreX() - zoomed.CentreX(), 120, 2) << dragged;
  EXPECT_NEAR(dragged.CentreY() - zoomed.CentreY(), 60, 2) << dragged;
  Save("dragged");

  CtrlKey(VK_OEM_MINUS);
  EXPECT_NEAR(Square().Width(), fitted_.Width() * 1.25, 3) << "Ctrl+Minus";
  CtrlKey('0');
  EXPECT_TRUE(Magnified(Square(), fitted_, 1, middleX, middleY)) << "Ctrl+0 fits";
  Save("ctrl-0");

  // A fitted view turns a page a notch, also when a smooth wheel gives it in parts.
  Wheel(-WHEEL_DELTA);
  EXPECT_EQ(host_.CurrentFrame(), 2);
  for (int part = 0; part < 3; ++part) Wheel(-WHEEL_DELTA / 3);
  EXPECT_EQ(host_.CurrentFrame(), 4);
  Wheel(WHEEL_DELTA);
  EXPECT_EQ(host_.CurrentFrame(), 2);
  Wheel(WHEEL_DELTA);
  EXPECT_EQ(host_.CurrentFrame(), 0);
  Save("wheel-back");

  // Zoomed, the wheel scrolls; Ctrl+wheel zooms around the pointer.
  Mouse(0, static_cast<int>(fitted_.CentreX()), static_cast<int>(fitted_.CentreY()));
  Key(VK_CONTROL, false);
  Mouse(MOUSEEVENTF_WHEEL, static_cast<int>(fitted_.CentreX()), static_cast<int>(fitted_.CentreY()), WHEEL_DELTA);
  Key(VK_CONTROL, true);
  const TFeature aroundPointer = Square();
  EXPECT_NEAR(aroundPointer.Width(), fitted_.Width() * 1.25, 3) << "Ctrl+wheel: " << aroundPointer;
  EXPECT_NEAR(aroundPointer.CentreX(), fitted_.CentreX(), 2) << "the spot under the pointer stays";
  EXPECT_NEAR(aroundPointer.CentreY(), fitted_.CentreY(), 2);
  Wheel(WHEEL_DELTA);
  EXPECT_EQ(host_.CurrentFrame(), 0) << "a zoomed view scrolls instead of turning";
  EXPECT_NEAR(Square().CentreY(), aroundPointer.CentreY() + kStageHeight / 8, 2) << "what is above comes into view";

  // A click that does not move still turns the page.
  Mouse(MOUSEEVENTF_LEFTDOWN, kStageWidth - 30, 100);
  Mouse(MOUSEEVENTF_LEFTUP, kStageWidth - 29, 101);
  EXPECT_TRUE(host_.PumpUntil([&] { return host_.CurrentFrame() == 2; }, 3000));
}

}  // namespace
}  // namespace pageplayer::testing
