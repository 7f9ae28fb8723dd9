#pragma once
#include "PageImage.h"

#include <cstdint>
#include <vector>

std::vector<uint8_t> EncodeJpeg(const RgbImage& image, int quality);
