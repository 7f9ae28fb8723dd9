#include "stage/StageRenderer.h"

#include <cstdlib>

#include "SpreadLayout.h"

namespace pageplayer {

namespace {

// GDI objects selected into a device context for a scope.
class TSelection {
public:
  TSelection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  TSelection(const TSelection&) = delete;
  TSelection& operator=(const TSelection&) = delete;
  ~TSelection() { SelectObject(dc_, previous_); }

private:
  HDC dc_;
  HGDIOBJ previous_;
};

class TOffscreen {
public:
  TOffscreen(HDC target, int width, int height)
      : dc_(CreateCompatibleDC(target)), bitmap_(CreateCompatibleBitmap(target, width, height)) {}
  TOffscreen(const TOffscreen&) = delete;
  TOffscreen& operator=(const TOffscreen&) = delete;
  ~TOffscreen() {
    if (bitmap_) DeleteObject(bitmap_);
    if (dc_) DeleteDC(dc_);
  }
  bool Valid() const { return dc_ && bitmap_; }
  HDC Dc() const { return dc_; }
  HBITMAP Bitmap() const { return bitmap_; }

private:
  HDC dc_;
  HBITMAP bitmap_;
};

void Fill(HDC dc, const RECT& box, COLORREF colour) {
  const HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &box, brush);
  DeleteObject(brush);
}

RECT ToRect(const TBox& box) { return {box.left, box.top, box.right, box.bottom}; }

// Black or white, whichever reads better on the colour.
COLORREF TextColourOn(COLORREF colour) {
  const int light = GetRValue(colour) * 299 + GetGValue(colour) * 587 + GetBValue(colour) * 114;
  return light > 128000 ? RGB(0, 0, 0) : RGB(0xFF, 0xFF, 0xFF);
}

void Write(HDC dc, const std::wstring& text, RECT box, COLORREF on) {
  SetTextColor(dc, TextColourOn(on));
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box,
            DT_CENTER | DT_VCENTER | DT_WORDBREAK | DT_NOPREFIX | (text.find(L'\n') == std::wstring::npos ? DT_SINGLELINE : 0));
}

void DrawPicture(HDC dc, const RECT& box, const TPicture& picture) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = picture.width;
  info.bmiHeader.biHeight = -picture.height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  // A page decoded for this stage is drawn at its own size (give or take the
  // rounding of the fit): halftoning it again would only cost time.
  const bool ownSize = std::abs(box.right - box.left - picture.width) <= 1 && std::abs(box.bottom - box.top - picture.height) <= 1;
  SetStretchBltMode(dc, ownSize ? COLORONCOLOR : HALFTONE);
  SetBrushOrgEx(dc, 0, 0, nullptr);
  StretchDIBits(dc, box.left, box.top, box.right - box.left, box.bottom - box.top, 0, 0, picture.width,
                picture.height, picture.pixels.data(), &info, DIB_RGB_COLORS, SRCCOPY);
}

void DrawPage(HDC dc, const TShownPage& page, const TPlacedPage& place, COLORREF background) {
  const RECT box = ToRect(place.picture);
  switch (page.state) {
    case TShownPage::State::Shown:
      DrawPicture(dc, box, *page.picture);
      break;
    case TShownPage::State::Failed:
      Fill(dc, box, kFailedPageColour);
      Write(dc, L"Page " + std::to_wstring(page.number) + L" could not be loaded.", box, kFailedPageColour);
      break;
    case TShownPage::State::Waiting:
      Fill(dc, box, kWaitingPageColour);
      break;
  }
  Write(dc, std::to_wstring(page.number), ToRect(place.number), background);
}

void Compose(HDC dc, const RECT& client, const TStageView& view) {
  Fill(dc, client, view.background);
  SetBkMode(dc, TRANSPARENT);
  const TSelection font(dc, GetStockObject(DEFAULT_GUI_FONT));
  if (!view.text.empty()) {
    Write(dc, view.text, client, view.background);
    return;
  }
  std::vector<TPageSize> sizes;
  TPageSize fallback;
  for (const TShownPage& page : view.pages) {
    sizes.push_back(page.picture ? TPageSize{page.picture->width, page.picture->height} : TPageSize{});
  }
  const auto placed = LayoutSpread(client.right - client.left, client.bottom - client.top, sizes, fallback);
  for (std::size_t i = 0; i < placed.size(); ++i) DrawPage(dc, view.pages[i], placed[i], view.background);
}

}  // namespace

void PaintStage(HDC target, const RECT& client, const TStageView& view) {
  const int width = client.right - client.left, height = client.bottom - client.top;
  if (width <= 0 || height <= 0) return;
  TOffscreen offscreen(target, width, height);
  if (!offscreen.Valid()) {
    Compose(target, client, view);
    return;
  }
  {
    const TSelection bitmap(offscreen.Dc(), offscreen.Bitmap());
    Compose(offscreen.Dc(), RECT{0, 0, width, height}, view);
    BitBlt(target, client.left, client.top, width, height, offscreen.Dc(), 0, 0, SRCCOPY);
  }
}

}  // namespace pageplayer
