#include "ui/Image.h"

#include "ui/GdiHandle.h"

namespace ui {

TImage::TImage(TComponent* owner) : TGraphicControl(owner) {
  width_ = 105;
  height_ = 105;
}

void TImage::SetPicture(const TPicture& picture) {
  picture_.Assign(picture);
  Invalidate();
}

void TImage::SetStretch(bool stretch) {
  if (stretch == stretch_) return;
  stretch_ = stretch;
  Invalidate();
}

void TImage::SetCenter(bool center) {
  if (center == center_) return;
  center_ = center;
  Invalidate();
}

void TImage::Paint(HDC dc) {
  const TBitmapImage* image = picture_.Image();
  if (!image) return;
  MemoryDC memory(dc);
  HDC source = memory.Get();
  {
    SelectObjectScope select(source, image->Handle());
    if (stretch_) {
      SetStretchBltMode(dc, HALFTONE);
      SetBrushOrgEx(dc, 0, 0, nullptr);
      StretchBlt(dc, 0, 0, width_, height_, source, 0, 0, image->Width(), image->Height(), SRCCOPY);
    } else {
      int x = center_ ? CentredOffset(width_, image->Width()) : 0;
      int y = center_ ? CentredOffset(height_, image->Height()) : 0;
      BitBlt(dc, x, y, image->Width(), image->Height(), source, 0, 0, SRCCOPY);
    }
  }
}

}  // namespace ui
