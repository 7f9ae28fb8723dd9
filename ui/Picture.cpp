#include "ui/Picture.h"


#include "ui/Jpeg.h"

namespace ui {

TBitmapImage::TBitmapImage(int width, int height, const std::uint8_t* bgraTopDown) : width_(width), height_(height) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;  // top-down rows
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap_.Reset(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap_ || !bits) throw EInvalidGraphic("Cannot create a bitmap of " + std::to_string(width) + "x" + std::to_string(height));
  std::copy(bgraTopDown, bgraTopDown + static_cast<std::size_t>(width) * height * 4, static_cast<std::uint8_t*>(bits));
  GdiFlush();
}

void TPicture::LoadFromJpeg(const std::uint8_t* data, std::size_t size) {
  TDecodedImage decoded = DecodeJpeg(data, size);
  image_ = std::make_shared<TBitmapImage>(decoded.Width, decoded.Height, decoded.Bgra.data());
}

}  // namespace ui
