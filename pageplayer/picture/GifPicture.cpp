#include "GifPicture.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <gif_lib.h>

#include "PaperCompositing.h"
#include "PictureError.h"
#include "PictureLimits.h"

namespace pageplayer {

namespace {

struct TGifSource {
  std::span<const std::uint8_t> bytes;
  std::size_t position = 0;
};

int ReadGif(GifFileType* gif, GifByteType* into, int count) {
  auto* source = static_cast<TGifSource*>(gif->UserData);
  const std::size_t n = std::min(static_cast<std::size_t>(std::max(count, 0)), source->bytes.size() - source->position);
  std::memcpy(into, source->bytes.data() + source->position, n);
  source->position += n;
  return static_cast<int>(n);
}

struct TGifClose {
  void operator()(GifFileType* gif) const { DGifCloseFile(gif, nullptr); }
};
using TGifFile = std::unique_ptr<GifFileType, TGifClose>;

[[noreturn]] void Fail(int error) {
  const char* text = GifErrorString(error);
  throw EPictureError(std::string("not a GIF picture that decodes: ") + (text ? text : "unknown error"));
}

void Check(const TGifFile& gif, int result) {
  if (result == GIF_ERROR) Fail(gif->Error);
}

// The transparent colour the graphic control extensions before the first
// frame name, and that frame's descriptor read; NO_TRANSPARENT_COLOR if none.
int ReadUpToFirstFrame(const TGifFile& gif) {
  int transparent = NO_TRANSPARENT_COLOR;
  for (;;) {
    GifRecordType record = UNDEFINED_RECORD_TYPE;
    Check(gif, DGifGetRecordType(gif.get(), &record));
    if (record == IMAGE_DESC_RECORD_TYPE) {
      Check(gif, DGifGetImageDesc(gif.get()));
      return transparent;
    }
    if (record == TERMINATE_RECORD_TYPE) throw EPictureError("a GIF picture without a frame");
    if (record != EXTENSION_RECORD_TYPE) continue;
    int code = 0;
    GifByteType* block = nullptr;
    Check(gif, DGifGetExtension(gif.get(), &code, &block));
    if (code == GRAPHICS_EXT_FUNC_CODE && block) {
      GraphicsControlBlock control{};
      if (DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK) transparent = control.TransparentColor;
    }
    while (block) Check(gif, DGifGetExtensionNext(gif.get(), &block));
  }
}

}  // namespace

TPicture DecodeGif(std::span<const std::uint8_t> bytes, std::uint32_t paper) {
  TGifSource source{bytes};
  int error = 0;
  TGifFile gif(DGifOpen(&source, ReadGif, &error));
  if (!gif) Fail(error);
  const int transparent = ReadUpToFirstFrame(gif);
  const GifImageDesc& frame = gif->Image;
  if (frame.Width <= 0 || frame.Height <= 0 || frame.Left < 0 || frame.Top < 0) {
    throw EPictureError("a GIF picture whose first frame has no pixels");
  }
  // The picture is the logical screen, with what of the frame falls on it;
  // a file without a screen shows its frame alone. A tiny frame placed far
  // out thus never makes a vast page of paper.
  const bool screenless = gif->SWidth <= 0 || gif->SHeight <= 0;
  const std::uint64_t width = screenless ? frame.Width : gif->SWidth;
  const std::uint64_t height = screenless ? frame.Height : gif->SHeight;
  const std::uint64_t left = screenless ? 0 : frame.Left, top = screenless ? 0 : frame.Top;
  CheckPictureSize(width, height);
  const ColorMapObject* colours = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
  if (!colours) throw EPictureError("a GIF picture without colours");

  // The rows come first, so that a file cut short or lying about its
  // frame costs only the rows it really holds, not a whole canvas.
  std::vector<int> rowOrder;
  if (frame.Interlace) {
    for (const auto& [first, step] : {std::pair{0, 8}, std::pair{4, 8}, std::pair{2, 4}, std::pair{1, 2}}) {
      for (int y = first; y < frame.Height; y += step) rowOrder.push_back(y);
    }
  } else {
    for (int y = 0; y < frame.Height; ++y) rowOrder.push_back(y);
  }
  std::vector<GifPixelType> indexes;
  for (std::size_t row = 0; row < rowOrder.size(); ++row) {
    indexes.resize((row + 1) * static_cast<std::size_t>(frame.Width));
    Check(gif, DGifGetLine(gif.get(), indexes.data() + row * frame.Width, frame.Width));
  }

  TPicture picture;
  picture.width = static_cast<int>(width);
  picture.height = static_cast<int>(height);
  picture.pixels.assign(static_cast<std::size_t>(width) * height, OverPaper(0, 0, 0, 0, paper));
  const std::uint64_t shownWidth = left < width ? std::min<std::uint64_t>(frame.Width, width - left) : 0;
  for (std::size_t row = 0; row < rowOrder.size(); ++row) {
    const std::uint64_t y = top + rowOrder[row];
    if (y >= height) continue;
    const GifPixelType* index = indexes.data() + row * frame.Width;
    std::uint32_t* out = picture.pixels.data() + y * width + left;
    for (std::uint64_t x = 0; x < shownWidth; ++x) {
      if (index[x] != transparent && index[x] < colours->ColorCount) {
        const GifColorType& c = colours->Colors[index[x]];
        out[x] = OverPaper(c.Red, c.Green, c.Blue, 255, paper);
      }
    }
  }
  return picture;
}

}  // namespace pageplayer
