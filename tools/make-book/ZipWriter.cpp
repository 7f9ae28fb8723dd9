#include "ZipWriter.h"

#include <stdexcept>
#include <zlib.h>

namespace {

constexpr uint16_t kVersion = 20;
constexpr size_t kMaxEntries = 0xFFFF;
constexpr uint64_t kMaxBytes = 0xFFFFFFFFu;
// 2026-01-01 12:00:00 as a DOS date and time: books built twice are identical.
constexpr uint16_t kDosTime = (12 << 11);
constexpr uint16_t kDosDate = ((2026 - 1980) << 9) | (1 << 5) | 1;

void Put16(std::vector<uint8_t>& b, uint16_t v) { b.push_back(v & 0xFF); b.push_back(v >> 8); }
void Put32(std::vector<uint8_t>& b, uint32_t v) { Put16(b, v & 0xFFFF); Put16(b, v >> 16); }

std::vector<uint8_t> RawDeflate(const std::vector<uint8_t>& data) {
    z_stream z{};
    if (deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2 failed");
    std::vector<uint8_t> out(deflateBound(&z, data.size()));
    z.next_in = const_cast<Bytef*>(data.data());
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    const int rc = deflate(&z, Z_FINISH);
    deflateEnd(&z);
    if (rc != Z_STREAM_END) throw std::runtime_error("deflate failed");
    out.resize(z.total_out);
    return out;
}

} // namespace

ZipWriter::ZipWriter(const std::string& path) : out_(path, std::ios::binary | std::ios::trunc), path_(path) {
    if (!out_) throw std::runtime_error("cannot create " + path);
}

void ZipWriter::Add(const std::string& name, const std::vector<uint8_t>& data, Method method) {
    // The records written here have 16-bit counts and 32-bit sizes and offsets;
    // a book beyond them is refused rather than written with wrapped numbers.
    if (entries_.size() >= kMaxEntries) throw std::runtime_error("too many entries for one book");
    if (data.size() > kMaxBytes || name.size() > 0xFFFF)
        throw std::runtime_error("entry too large for a book: " + name);
    Entry e{name, static_cast<uint16_t>(method), 0, 0, static_cast<uint32_t>(data.size()),
            static_cast<uint32_t>(out_.tellp())};
    e.crc = crc32(0L, data.data(), static_cast<uInt>(data.size()));
    std::vector<uint8_t> body = method == Method::Deflated ? RawDeflate(data) : data;
    if (method == Method::Deflated && body.size() >= data.size()) {
        body = data;  // incompressible: storing is smaller
        e.method = static_cast<uint16_t>(Method::Stored);
    }
    e.compressedSize = static_cast<uint32_t>(body.size());
    if (static_cast<uint64_t>(out_.tellp()) + 30 + name.size() + body.size() > kMaxBytes)
        throw std::runtime_error("book larger than 4 GiB: " + path_);

    std::vector<uint8_t> h;
    Put32(h, 0x04034B50); Put16(h, kVersion); Put16(h, 0); Put16(h, e.method);
    Put16(h, kDosTime); Put16(h, kDosDate); Put32(h, e.crc); Put32(h, e.compressedSize);
    Put32(h, e.size); Put16(h, static_cast<uint16_t>(name.size())); Put16(h, 0);
    h.insert(h.end(), name.begin(), name.end());
    out_.write(reinterpret_cast<const char*>(h.data()), static_cast<std::streamsize>(h.size()));
    out_.write(reinterpret_cast<const char*>(body.data()), static_cast<std::streamsize>(body.size()));
    entries_.push_back(std::move(e));
    if (!out_) throw std::runtime_error("cannot write " + path_);
}

void ZipWriter::Finish() {
    if (finished_) return;
    const auto dirOffset = static_cast<uint32_t>(out_.tellp());
    std::vector<uint8_t> d;
    for (const Entry& e : entries_) {
        Put32(d, 0x02014B50); Put16(d, kVersion); Put16(d, kVersion); Put16(d, 0); Put16(d, e.method);
        Put16(d, kDosTime); Put16(d, kDosDate); Put32(d, e.crc); Put32(d, e.compressedSize);
        Put32(d, e.size); Put16(d, static_cast<uint16_t>(e.name.size())); Put16(d, 0); Put16(d, 0);
        Put16(d, 0); Put16(d, 0); Put32(d, 0); Put32(d, e.localOffset);
        d.insert(d.end(), e.name.begin(), e.name.end());
    }
    if (static_cast<uint64_t>(dirOffset) + d.size() + 22 > kMaxBytes)
        throw std::runtime_error("book larger than 4 GiB: " + path_);
    const auto count = static_cast<uint16_t>(entries_.size());
    const auto dirSize = static_cast<uint32_t>(d.size());
    Put32(d, 0x06054B50); Put16(d, 0); Put16(d, 0); Put16(d, count); Put16(d, count);
    Put32(d, dirSize); Put32(d, dirOffset); Put16(d, 0);
    out_.write(reinterpret_cast<const char*>(d.data()), static_cast<std::streamsize>(d.size()));
    out_.close();
    if (!out_) throw std::runtime_error("cannot write " + path_);
    finished_ = true;
}
