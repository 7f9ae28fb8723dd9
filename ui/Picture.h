// A picture held as a device-independent bitmap, loaded from JPEG bytes, a
// file or a resource. Copies share the same (immutable) bitmap.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "ui/GdiHandle.h"

namespace ui {

class TBitmapImage {
public:
  TBitmapImage(int width, int height, const std::uint8_t* bgraTopDown);
  int Width() const { return width_; }
  int Height() const { return height_; }
  HBITMAP Handle() const { return bitmap_.Get(); }

private:
  int width_;
  int height_;
  GdiHandle<HBITMAP> bitmap_;
};

class TPicture {
public:
  bool Empty() const { return !image_; }
  int Width() const { return image_ ? image_->Width() : 0; }
  int Height() const { return image_ ? image_->Height() : 0; }
  const TBitmapImage* Image() const { return image_.get(); }

  void Assign(const TPicture& other) { image_ = other.image_; }
  void Clear() { image_.reset(); }
  // Raises EInvalidGraphic and leaves the picture as it was.
  void LoadFromJpeg(const std::uint8_t* data, std::size_t size);

private:
  std::shared_ptr<const TBitmapImage> image_;
};

}  // namespace ui
