#include "PageImage.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

namespace {

// 5 x 7 glyphs, one row per byte, most significant of the low five bits first.
const std::array<std::array<uint8_t, 7>, 10> kDigits = {{
    {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}, {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E},
    {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}, {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E},
    {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}, {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E},
    {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}, {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08},
    {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}, {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C},
}};

struct Rgb { uint8_t r, g, b; };

// Hues spread around the colour wheel so that neighbouring pages differ clearly.
Rgb PageColour(int page) {
    const double hue = std::fmod(page * 0.61803398875, 1.0) * 6.0;
    const int sector = static_cast<int>(hue);
    const double f = hue - sector;
    const double v = 0.95, s = 0.35;
    const double p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
    double r = v, g = t, b = p;
    switch (sector % 6) {
    case 1: r = q; g = v; b = p; break;
    case 2: r = p; g = v; b = t; break;
    case 3: r = p; g = q; b = v; break;
    case 4: r = t; g = p; b = v; break;
    case 5: r = v; g = p; b = q; break;
    default: break;
    }
    return {static_cast<uint8_t>(r * 255), static_cast<uint8_t>(g * 255), static_cast<uint8_t>(b * 255)};
}

void Fill(RgbImage& img, int x0, int y0, int w, int h, Rgb c) {
    for (int y = std::max(0, y0); y < std::min(img.height, y0 + h); ++y)
        for (int x = std::max(0, x0); x < std::min(img.width, x0 + w); ++x) {
            uint8_t* p = &img.pixels[(static_cast<size_t>(y) * img.width + x) * 3];
            p[0] = c.r; p[1] = c.g; p[2] = c.b;
        }
}

void DrawNumber(RgbImage& img, const std::string& digits, int cell, int centreY, Rgb c) {
    const int glyphW = 5 * cell, gap = cell;
    const int total = static_cast<int>(digits.size()) * (glyphW + gap) - gap;
    int x = (img.width - total) / 2;
    const int y = centreY - 7 * cell / 2;
    for (char ch : digits) {
        const auto& glyph = kDigits[ch - '0'];
        for (int row = 0; row < 7; ++row)
            for (int col = 0; col < 5; ++col)
                if (glyph[row] & (0x10 >> col)) Fill(img, x + col * cell, y + row * cell, cell, cell, c);
        x += glyphW + gap;
    }
}

} // namespace

RgbImage RenderDemoPage(int pageNumber, int pageCount, int width, int height) {
    RgbImage img{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height * 3)};
    const Rgb paper = PageColour(pageNumber);
    const Rgb ink{40, 40, 60};
    Fill(img, 0, 0, width, height, paper);
    const int border = std::max(4, width / 40);
    Fill(img, border, border, width - 2 * border, border / 2, ink);
    Fill(img, border, height - border - border / 2, width - 2 * border, border / 2, ink);
    Fill(img, border, border, border / 2, height - 2 * border, ink);
    Fill(img, width - border - border / 2, border, border / 2, height - 2 * border, ink);
    const std::string digits = std::to_string(pageNumber);
    const int cell = std::max(2, std::min(width * 2 / 3 / (6 * static_cast<int>(digits.size())), height / 14));
    DrawNumber(img, digits, cell, height / 2, ink);
    // A row of small bars under the number shows the page's place in the book.
    const int barW = std::max(2, (width - 4 * border) / std::max(1, pageCount));
    for (int i = 0; i < pageCount; ++i)
        Fill(img, 2 * border + i * barW, height - 4 * border, barW - 1, border, i + 1 == pageNumber ? ink : Rgb{200, 200, 200});
    return img;
}
