#include "BookBuilder.h"

#include "ZipWriter.h"

#include <cstdio>

namespace {

class BitWriter {
public:
    void Put(uint32_t value, int bits) {
        for (int i = bits - 1; i >= 0; --i) {
            current_ = static_cast<uint8_t>((current_ << 1) | ((value >> i) & 1));
            if (++used_ == 8) Flush();
        }
    }
    std::vector<uint8_t> Finish() {
        if (used_) { current_ = static_cast<uint8_t>(current_ << (8 - used_)); Flush(); }
        return bytes_;
    }
private:
    void Flush() { bytes_.push_back(current_); current_ = 0; used_ = 0; }
    std::vector<uint8_t> bytes_;
    uint8_t current_ = 0;
    int used_ = 0;
};

void Put16(std::vector<uint8_t>& b, uint16_t v) { b.push_back(v & 0xFF); b.push_back(v >> 8); }

} // namespace

std::vector<uint8_t> MakeMovieHeader(int stageWidth, int stageHeight, int frameCount) {
    constexpr int kTwipsPerPixel = 20;
    constexpr int kBits = 17;  // signed twips up to 65535 / 20 pixels
    BitWriter rect;
    rect.Put(kBits, 5);
    rect.Put(0, kBits);
    rect.Put(static_cast<uint32_t>(stageWidth * kTwipsPerPixel), kBits);
    rect.Put(0, kBits);
    rect.Put(static_cast<uint32_t>(stageHeight * kTwipsPerPixel), kBits);

    std::vector<uint8_t> movie = {'F', 'W', 'S', 10, 0, 0, 0, 0};
    const std::vector<uint8_t> r = rect.Finish();
    movie.insert(movie.end(), r.begin(), r.end());
    Put16(movie, 24 << 8);  // 24 frames a second, 8.8 fixed point
    Put16(movie, static_cast<uint16_t>(frameCount));
    Put16(movie, 0);        // end tag
    const auto length = static_cast<uint32_t>(movie.size());
    for (int i = 0; i < 4; ++i) movie[4 + i] = static_cast<uint8_t>(length >> (8 * i));
    return movie;
}

std::string XmlEscape(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string MakePageList(const std::string& title, const std::vector<std::string>& pagePaths) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<book title=\"" + XmlEscape(title) + "\">\n";
    for (const std::string& p : pagePaths) xml += "  <page src=\"" + XmlEscape(p) + "\"/>\n";
    return xml + "</book>\n";
}

void WriteBook(const std::string& outPath, const std::string& title, const std::vector<BookPage>& pages) {
    std::vector<std::string> paths;
    for (size_t i = 0; i < pages.size(); ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "%03zu", i + 1);
        paths.push_back("files/pages/" + std::string(name) + pages[i].extension);
    }
    const std::string config = MakePageList(title, paths);
    ZipWriter zip(outPath);
    zip.Add("book.swf", MakeMovieHeader(1200, 800, static_cast<int>(pages.size())), ZipWriter::Method::Deflated);
    zip.Add("files/config.xml", std::vector<uint8_t>(config.begin(), config.end()), ZipWriter::Method::Deflated);
    for (size_t i = 0; i < pages.size(); ++i)
        zip.Add(paths[i], pages[i].bytes, ZipWriter::Method::Stored);
    zip.Finish();
}
