// make-book --demo N OUT      a book of N generated pages
// make-book --pages DIR OUT   a book of the pictures in DIR, in name order
#include "BookBuilder.h"
#include "JpegEncoder.h"
#include "PageImage.h"

#include <algorithm>
#include <cctype>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

namespace fs = std::filesystem;

namespace {

int Usage() {
    std::cerr << "usage: make-book --demo N OUT\n       make-book --pages DIR OUT\n";
    return 2;
}

std::vector<BookPage> DemoPages(int count) {
    std::vector<BookPage> pages;
    for (int i = 1; i <= count; ++i)
        pages.push_back({".jpg", EncodeJpeg(RenderDemoPage(i, count, 600, 800), 85)});
    return pages;
}

std::string LowerExtension(const fs::path& path) {
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext;
}

std::vector<BookPage> PagesFromFolder(const fs::path& dir) {
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(dir)) {
        const std::string ext = LowerExtension(e.path());
        if (e.is_regular_file() && (ext == ".jpg" || ext == ".jpeg" || ext == ".png" || ext == ".gif"))
            files.push_back(e.path());
    }
    std::sort(files.begin(), files.end());
    std::vector<BookPage> pages;
    for (const fs::path& f : files) {
        std::ifstream in(f, std::ios::binary);
        if (!in) throw std::runtime_error("cannot read " + f.string());
        pages.push_back({LowerExtension(f), std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {})});
    }
    if (pages.empty()) throw std::runtime_error("no pictures in " + dir.string());
    return pages;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) return Usage();
    const std::string mode = argv[1];
    try {
        if (mode == "--demo") {
            const int count = std::stoi(argv[2]);
            if (count < 1 || count > 999) return Usage();
            WriteBook(argv[3], "Demo book", DemoPages(count));
        } else if (mode == "--pages") {
            WriteBook(argv[3], fs::path(argv[2]).filename().string(), PagesFromFolder(argv[2]));
        } else {
            return Usage();
        }
    } catch (const std::exception& e) {
        std::cerr << "make-book: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
