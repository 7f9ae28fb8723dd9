#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "JpegPicture.h"

namespace pageplayer {

// One page of the spread as the stage shows it.
struct TShownPage {
  enum class State { Waiting, Shown, Failed };
  int number = 0;  // 1-based
  State state = State::Waiting;
  const TPicture* picture = nullptr;  // when shown
};

struct TStageView {
  COLORREF background = RGB(0x40, 0x40, 0x40);
  std::wstring text;  // a message instead of pages
  std::vector<TShownPage> pages;
};

// The grey of a page that could not be loaded, and the paper of one still
// on its way.
inline constexpr COLORREF kFailedPageColour = RGB(0xA0, 0xA0, 0xA0);
inline constexpr COLORREF kWaitingPageColour = RGB(0xF4, 0xF4, 0xF4);

// Draws the whole stage off screen first and copies it in one go, so that
// turning a page never flickers.
void PaintStage(HDC target, const RECT& client, const TStageView& view);

}  // namespace pageplayer
