#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "JpegPicture.h"
#include "SpreadLayout.h"
#include "ZoomView.h"

namespace pageplayer {

// One page of the spread as the stage shows it.
struct TShownPage {
  enum class State { Waiting, Shown, Failed };
  int number = 0;  // 1-based
  State state = State::Waiting;
  const TPicture* picture = nullptr;  // when shown
  int sourceWidth = 0;                 // the page's own pixels; 0 when unknown
  int sourceHeight = 0;
};

struct TStageView {
  COLORREF background = RGB(0x40, 0x40, 0x40);
  std::wstring text;  // a message instead of pages
  std::vector<TShownPage> pages;
  int pageCount = 0;  // the book's, for the numbers under the pages
  // The part of the stage the window shows when zoomed in, in the stage's
  // units (the window's pixels when fitted); none when it fits.
  std::optional<TViewRect> zoom;
};

// The grey of a page that could not be loaded, and the paper of one still
// on its way.
inline constexpr COLORREF kFailedPageColour = RGB(0xA0, 0xA0, 0xA0);
inline constexpr COLORREF kWaitingPageColour = RGB(0xF4, 0xF4, 0xF4);

// Where the view's pages lie on a fitted stage of this size.
std::vector<TPlacedPage> PlaceShownPages(int stageWidth, int stageHeight, const TStageView& view);

// Draws the whole stage off screen first and copies it in one go, so that
// turning a page never flickers.
void PaintStage(HDC target, const RECT& client, const TStageView& view);

}  // namespace pageplayer
