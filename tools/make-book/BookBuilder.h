#pragma once
// Assembles a book file: a movie header as "book.swf", the page list as
// "files/config.xml" and the page pictures under "files/pages/".
#include <cstdint>
#include <string>
#include <vector>

struct BookPage {
    std::string extension;  // ".jpg", ".png", ...
    std::vector<uint8_t> bytes;
};

// A minimal movie: header with the stage size in pixels, then an end tag.
std::vector<uint8_t> MakeMovieHeader(int stageWidth, int stageHeight, int frameCount);

std::string MakePageList(const std::string& title, const std::vector<std::string>& pagePaths);

std::string XmlEscape(const std::string& text);

void WriteBook(const std::string& outPath, const std::string& title, const std::vector<BookPage>& pages);
