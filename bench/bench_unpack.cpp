// Extraction speed and memory: one 200 MB entry, deflated and stored, through
// TZipReader::UnpackToStream into a memory stream, each beside a baseline in
// the same run (zlib inflate into a preallocated buffer + zlib crc32; memcpy +
// crc32). Prints medians and ratios (targets: 1.15x deflated, 1.3x stored),
// then the peak memory of extracting N bytes, measured in a fresh process
// (target: under N + 1 MiB).
//
// Usage: bench_unpack [--megabytes N] [--runs R]
//        bench_unpack --peak ARCHIVE NAME    (internal: one extraction, prints memory figures)
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "ArchiveWriter.h"
#include "ScratchFolder.h"
#include "ZipReader.h"

namespace {

using Clock = std::chrono::steady_clock;

// Text-like data that deflate shrinks to roughly a third: words from a fixed
// vocabulary, numbers, and now and then a stray byte.
std::string ModeratelyCompressible(std::size_t size) {
  std::uint64_t state = 0x9E3779B97F4A7C15ull;
  auto next = [&state] {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state;
  };
  std::vector<std::string> words;
  for (int i = 0; i < 2048; ++i) {
    std::string w;
    const int length = 2 + static_cast<int>(next() % 9);
    for (int k = 0; k < length; ++k) w += static_cast<char>('a' + next() % 26);
    words.push_back(w);
  }
  std::string out;
  out.reserve(size + 64);
  while (out.size() < size) {
    const std::uint64_t r = next();
    out += words[r % words.size()];
    out += (r >> 20) % 11 == 0 ? '\n' : ' ';
    if ((r >> 32) % 5 == 0) out += std::to_string((r >> 40) % 100000);
    if ((r >> 48) % 13 == 0) out += static_cast<char>(r >> 56);
  }
  out.resize(size);
  return out;
}

// Medians of two bodies timed alternately.
std::pair<double, double> MedianPair(int runs, const std::function<void()>& first,
                                     const std::function<void()>& second) {
  std::vector<double> a, b;
  for (int i = 0; i < runs; ++i) {
    auto start = Clock::now();
    first();
    a.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    start = Clock::now();
    second();
    b.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  std::sort(a.begin(), a.end());
  std::sort(b.begin(), b.end());
  return {a[a.size() / 2], b[b.size() / 2]};
}

// Raises, so that the scratch folder still goes on the way out.
void Check(bool ok, const char* what) {
  if (!ok) throw std::runtime_error(what);
}

long StatusKiB(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::size_t length = std::strlen(field);
  while (std::getline(status, line))
    if (line.compare(0, length, field) == 0) return std::atol(line.c_str() + length + 1);
  return -1;
}

// One extraction in this (fresh) process: resident memory before, and the
// high-water mark after.
int PeakChild(const std::string& archive, const std::string& name) {
  TZipReader reader;
  reader.SetZipName(archive);
  reader.ReadZipDirectory();
  const long before = StatusKiB("VmRSS:");
  TMemoryStream stream;
  const int extracted = reader.UnpackToStream(&stream, name);
  const long peak = StatusKiB("VmHWM:");
  std::printf("%d %lld %ld %ld\n", extracted, static_cast<long long>(stream.Size()), before, peak);
  return 0;
}

void ReportPeak(const char* self, const std::string& archive, const std::string& name, const char* label) {
  const std::string command = std::string("'") + self + "' --peak '" + archive + "' '" + name + "'";
  FILE* pipe = ::popen(command.c_str(), "r");
  int extracted = 0;
  long long size = 0;
  long before = 0, peak = 0;
  const bool read = pipe && std::fscanf(pipe, "%d %lld %ld %ld", &extracted, &size, &before, &peak) == 4;
  if (pipe) ::pclose(pipe);
  Check(read && extracted == 1, "peak-memory child failed");
  const double growthMiB = (peak - before) / 1024.0;
  const double workingMiB = growthMiB - static_cast<double>(size) / (1024.0 * 1024.0);
  std::printf(
      "%-9s peak memory: %.1f MiB extracted, resident growth %.1f MiB, working memory %.2f MiB  "
      "(target < 1 MiB)  %s\n",
      label, static_cast<double>(size) / (1024.0 * 1024.0), growthMiB, workingMiB, workingMiB < 1.0 ? "OK" : "MISSED");
}

void Compare(const char* label, double ours, double baseline, double target) {
  const double ratio = ours / baseline;
  std::printf("%-9s UnpackToStream %8.1f ms   baseline %8.1f ms   ratio %.3f  (target <= %.2f)  %s\n", label, ours,
              baseline, ratio, target, ratio <= target ? "OK" : "MISSED");
}

}  // namespace

int Run(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--peak") return PeakChild(argv[2], argv[3]);
  std::size_t megabytes = 200;
  int runs = 7;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::string(argv[i]) == "--megabytes") megabytes = std::strtoul(argv[i + 1], nullptr, 10);
    if (std::string(argv[i]) == "--runs") runs = std::atoi(argv[i + 1]);
  }
  const std::size_t size = megabytes * 1000 * 1000;

  std::printf("preparing %zu MB of data...\n", megabytes);
  const std::string data = ModeratelyCompressible(size);
  const testsupport::TScratchFolder folder;
  const std::string deflatedZip = folder.Path("deflated.zip");
  const std::string storedZip = folder.Path("stored.zip");
  testsupport::TArchiveLayout layout;
  layout.Entries = {testsupport::DeflatedEntry("book.swf", data)};
  testsupport::WriteArchive(deflatedZip, layout);
  const std::string deflated = std::move(layout.Entries[0].Data);  // the baseline inflates the same stream
  layout.Entries = {testsupport::StoredEntry("book.swf", data)};
  testsupport::WriteArchive(storedZip, layout);
  layout.Entries.clear();
  std::printf("deflated to %.1f MB (%.2f:1); %d runs each, medians:\n", deflated.size() / 1e6,
              static_cast<double>(size) / static_cast<double>(deflated.size()), runs);

  // Preallocated and touched once, so the baselines pay no page faults.
  std::vector<Bytef> target(size, 1);
  std::uint32_t sink = 0;

  // Into a fresh memory stream (what the reader does for the movie), and into
  // one that already holds N bytes, which is what the baselines' preallocated
  // buffer corresponds to.
  TMemoryStream reused;
  reused.SetSize(static_cast<std::int64_t>(size));
  auto unpack = [&](const std::string& archive, bool fresh) {
    return [&, archive, fresh] {
      TZipReader reader;
      reader.SetZipName(archive);
      TMemoryStream freshStream;
      TMemoryStream& stream = fresh ? freshStream : reused;
      Check(reader.UnpackToStream(&stream, "book.swf") == 1, "extraction failed");
      Check(stream.Size() == static_cast<std::int64_t>(size), "wrong size extracted");
    };
  };
  {  // warm the page cache and the reader's code
    unpack(deflatedZip, false)();
    unpack(storedZip, false)();
  }
  auto inflateBaselineRun = [&] {
    z_stream z{};
    inflateInit2(&z, -15);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(deflated.data()));
    z.avail_in = static_cast<uInt>(deflated.size());
    z.next_out = target.data();
    z.avail_out = static_cast<uInt>(target.size());
    Check(inflate(&z, Z_FINISH) == Z_STREAM_END, "baseline inflate failed");
    inflateEnd(&z);
    sink ^= static_cast<std::uint32_t>(crc32(0, target.data(), static_cast<uInt>(target.size())));
  };
  auto copyBaselineRun = [&] {
    std::memcpy(target.data(), data.data(), size);
    sink ^= static_cast<std::uint32_t>(crc32(0, target.data(), static_cast<uInt>(target.size())));
  };
  // Each run times the baseline and the reader back to back, so that load
  // from elsewhere on the machine falls on both alike.
  const auto [inflateBaseline, inflateOurs] = MedianPair(runs, inflateBaselineRun, unpack(deflatedZip, false));
  const auto [copyBaseline, copyOurs] = MedianPair(runs, copyBaselineRun, unpack(storedZip, false));
  // Fresh memory costs the system's page faults whoever asks for it: the same
  // copy into a buffer newly allocated for each run shows how much of the
  // fresh-stream figure is that.
  auto freshCopyBaselineRun = [&] {
    std::unique_ptr<Bytef[]> fresh(new Bytef[size]);
    std::memcpy(fresh.get(), data.data(), size);
    sink ^= static_cast<std::uint32_t>(crc32(0, fresh.get(), static_cast<uInt>(size)));
  };
  const auto [inflateFresh, copyFresh] = MedianPair(runs, unpack(deflatedZip, true), unpack(storedZip, true));
  const auto [copyFreshBaseline, copyFreshOurs] = MedianPair(runs, freshCopyBaselineRun, unpack(storedZip, true));
  Compare("deflated", inflateOurs, inflateBaseline, 1.15);
  Compare("stored", copyOurs, copyBaseline, 1.3);
  std::printf(
      "into a fresh memory stream (allocation and page faults included): deflated %.1f ms (%.3fx), "
      "stored %.1f ms (%.3fx)\n",
      inflateFresh, inflateFresh / inflateBaseline, copyFresh, copyFresh / copyBaseline);
  std::printf("stored into a fresh stream %.1f ms against memcpy + crc32 into a fresh buffer %.1f ms: %.3fx\n",
              copyFreshOurs, copyFreshBaseline, copyFreshOurs / copyFreshBaseline);
  ReportPeak(argv[0], deflatedZip, "book.swf", "deflated");
  ReportPeak(argv[0], storedZip, "book.swf", "stored");

  return sink == 0x12345678u ? 3 : 0;  // keeps the baselines' CRCs alive
}

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_unpack: %s\n", e.what());
    return 1;
  }
}
