#include "stage/StageRenderer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

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

// A rectangle in window pixels, kept fractional until it is drawn so that a
// page magnified many times lands where its pixels belong.
struct TArea {
  double left = 0, top = 0, right = 0, bottom = 0;
  RECT Rounded() const {
    return {static_cast<LONG>(std::lround(left)), static_cast<LONG>(std::lround(top)),
            static_cast<LONG>(std::lround(right)), static_cast<LONG>(std::lround(bottom))};
  }
};

// From the stage's units to the window's pixels: the same when the view fits.
class TViewTransform {
public:
  TViewTransform(const RECT& client, const std::optional<TViewRect>& zoom) : originX_(client.left), originY_(client.top) {
    if (!zoom || zoom->Width() <= 0) return;
    scale_ = (client.right - client.left) / zoom->Width();
    left_ = zoom->left;
    top_ = zoom->top;
  }
  TArea Apply(const TBox& box) const {
    return {X(box.left), Y(box.top), X(box.right), Y(box.bottom)};
  }

private:
  double X(double stageX) const { return originX_ + (stageX - left_) * scale_; }
  double Y(double stageY) const { return originY_ + (stageY - top_) * scale_; }

  double originX_, originY_;
  double left_ = 0, top_ = 0;
  double scale_ = 1;
};

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

// Only the part of the picture inside the window goes to GDI: a zoomed page
// at full resolution is many times the window's size, and resampling all of
// it on every paint would take far longer than a frame.
// fullResolution: the picture holds all of the page's own pixels.
void DrawPicture(HDC dc, const RECT& client, const TArea& area, const TPicture& picture, bool fullResolution) {
  const double width = area.right - area.left, height = area.bottom - area.top;
  if (width <= 0 || height <= 0 || picture.width <= 0 || picture.height <= 0) return;
  const double perX = picture.width / width, perY = picture.height / height;  // picture pixels per window pixel
  const auto first = [](double from, double edge, double per, int size) {
    return std::clamp(static_cast<int>(std::floor((std::max(edge, from) - from) * per)), 0, size);
  };
  const auto last = [](double from, double to, double edge, double per, int size) {
    return std::clamp(static_cast<int>(std::ceil((std::min(edge, to) - from) * per)), 0, size);
  };
  const int x0 = first(area.left, client.left, perX, picture.width);
  const int x1 = last(area.left, area.right, client.right, perX, picture.width);
  const int y0 = first(area.top, client.top, perY, picture.height);
  const int y1 = last(area.top, area.bottom, client.bottom, perY, picture.height);
  if (x1 <= x0 || y1 <= y0) return;
  // Whole picture pixels, drawn where they fall: the edge ones may reach out of the window.
  const RECT target = TArea{area.left + x0 / perX, area.top + y0 / perY, area.left + x1 / perX, area.top + y1 / perY}.Rounded();
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = picture.width;
  // The visible rows alone, top row first: the source starts at their first
  // row, so no reading of a row offset in a top-down bitmap is involved.
  info.bmiHeader.biHeight = -(y1 - y0);
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  const int targetWidth = target.right - target.left, targetHeight = target.bottom - target.top;
  // A page decoded for this stage or zoom is drawn at its own size, give or
  // take the rounding of the fit (a pixel, a few on a page magnified many
  // times): halftoning it again would cost a frame and more.
  const auto same = [](int drawn, int own) { return std::abs(drawn - own) <= std::max(1, own / 200); };
  const bool ownSize = same(targetWidth, x1 - x0) && same(targetHeight, y1 - y0);
  // Magnified past its own pixels, a page shows them as they are, each a
  // small block, as readers expect at more than 100 %; smoothing them would
  // cost more than a frame on every step of a drag. A smaller picture
  // standing in while the page is decoded again is smoothed.
  const bool enlargedWhole = fullResolution && targetWidth > x1 - x0 && targetHeight > y1 - y0;
  SetStretchBltMode(dc, ownSize || enlargedWhole ? COLORONCOLOR : HALFTONE);
  SetBrushOrgEx(dc, 0, 0, nullptr);
  StretchDIBits(dc, target.left, target.top, targetWidth, targetHeight, x0, 0, x1 - x0, y1 - y0,
                picture.pixels.data() + static_cast<std::size_t>(y0) * picture.width, &info, DIB_RGB_COLORS, SRCCOPY);
}

std::wstring PageNumberText(int number, int pageCount) {
  if (pageCount <= 0) return std::to_wstring(number);
  return std::to_wstring(number) + L" / " + std::to_wstring(pageCount);
}

void DrawPage(HDC dc, const RECT& client, const TShownPage& page, const TPlacedPage& place, const TStageView& view,
              const TViewTransform& transform) {
  const TArea area = transform.Apply(place.picture);
  const RECT box = area.Rounded();
  switch (page.state) {
    case TShownPage::State::Shown:
      DrawPicture(dc, client, area, *page.picture,
                  page.sourceWidth > 0 && page.picture->width >= page.sourceWidth);
      break;
    case TShownPage::State::Failed:
      Fill(dc, box, kFailedPageColour);
      Write(dc, L"Page " + std::to_wstring(page.number) + L" could not be loaded.", box, kFailedPageColour);
      break;
    case TShownPage::State::Waiting:
      Fill(dc, box, kWaitingPageColour);
      break;
  }
  Write(dc, PageNumberText(page.number, view.pageCount), transform.Apply(place.number).Rounded(), view.background);
}

void Compose(HDC dc, const RECT& client, const TStageView& view) {
  Fill(dc, client, view.background);
  SetBkMode(dc, TRANSPARENT);
  const TSelection font(dc, GetStockObject(DEFAULT_GUI_FONT));
  if (!view.text.empty()) {
    Write(dc, view.text, client, view.background);
    return;
  }
  const auto placed = PlaceShownPages(client.right - client.left, client.bottom - client.top, view);
  // Placed on a stage at the window's origin, then moved and magnified.
  const TViewTransform transform(client, view.zoom);
  for (std::size_t i = 0; i < placed.size(); ++i) DrawPage(dc, client, view.pages[i], placed[i], view, transform);
}

}  // namespace

std::vector<TPlacedPage> PlaceShownPages(int stageWidth, int stageHeight, const TStageView& view) {
  std::vector<TPageSize> sizes;
  for (const TShownPage& page : view.pages) {
    // By the page's own shape: a fitted and a full picture of it differ by rounding.
    if (page.sourceWidth > 0 && page.sourceHeight > 0) {
      sizes.push_back({page.sourceWidth, page.sourceHeight});
    } else {
      sizes.push_back(page.picture ? TPageSize{page.picture->width, page.picture->height} : TPageSize{});
    }
  }
  return LayoutSpread(stageWidth, stageHeight, sizes, {});
}

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
