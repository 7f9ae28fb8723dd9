#pragma once
// A small ZIP writer for the book tools: stored or deflated entries, written
// front to back with the central directory at the end.
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

class ZipWriter {
public:
    enum class Method : uint16_t { Stored = 0, Deflated = 8 };

    explicit ZipWriter(const std::string& path);
    ZipWriter(const ZipWriter&) = delete;
    ZipWriter& operator=(const ZipWriter&) = delete;

    void Add(const std::string& name, const std::vector<uint8_t>& data, Method method);
    // Writes the central directory; the writer must not be used afterwards.
    void Finish();

private:
    struct Entry {
        std::string name;
        uint16_t method;
        uint32_t crc, compressedSize, size, localOffset;
    };
    std::ofstream out_;
    std::string path_;
    std::vector<Entry> entries_;
    bool finished_ = false;
};
