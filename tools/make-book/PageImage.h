#pragma once
// Generated demo pages: a coloured sheet with a frame and a large page number.
#include <cstdint>
#include <vector>

struct RgbImage {
    int width = 0, height = 0;
    std::vector<uint8_t> pixels;  // RGB, row after row
};

RgbImage RenderDemoPage(int pageNumber, int pageCount, int width, int height);
