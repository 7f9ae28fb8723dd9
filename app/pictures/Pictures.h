// The start-up panel's and the About box's pictures, JPEG bytes compiled into
// the program (drawn by make-pictures.sh beside this file).
#pragma once

#include <cstddef>

struct TEmbeddedPicture {
  const unsigned char* data;
  std::size_t size;
};

TEmbeddedPicture BannerPicture();         // top band of the start-up panel, stretched
TEmbeddedPicture RecentBookPicture();     // before each recent book
TEmbeddedPicture OpenBookPicture();       // before "Open..."
TEmbeddedPicture ReaderMarkPicture();     // bottom band of the start-up panel
TEmbeddedPicture AboutBackgroundPicture();  // the whole About box
