// Reading the directory of archives with 10,000 and 100,000 entries, beside
// a baseline that only walks the central directory's bytes (signature,
// lengths, name) without building entries; and one book-entry look-up.
// Prints the time per entry and the ratio to the baseline (target: <= 3x).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "BenchArchive.h"
#include "BookCheck.h"
#include "ZipReader.h"

namespace {

using benchzip::ArchivePath;
using benchzip::EntryName;

std::uint16_t U16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t U32(const unsigned char* p) { return U16(p) | (static_cast<std::uint32_t>(U16(p + 2)) << 16); }

// The bare walk: find the end record, then read record after record through
// an 8 KiB buffered file, keeping only each name.
int WalkCentralDirectory(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  std::vector<char> buffer(8192);
  std::setvbuf(file, buffer.data(), _IOFBF, buffer.size());
  std::fseek(file, -22, SEEK_END);
  unsigned char end[22];
  std::fread(end, 1, sizeof end, file);
  std::fseek(file, static_cast<long>(U32(end + 16)), SEEK_SET);
  int count = 0;
  unsigned char record[46];
  std::string name;
  while (std::fread(record, 1, sizeof record, file) == sizeof record && U32(record) == 0x02014B50) {
    name.resize(U16(record + 28));
    std::fread(name.data(), 1, name.size(), file);
    benchmark::DoNotOptimize(name.data());
    std::fseek(file, U16(record + 30) + U16(record + 32), SEEK_CUR);
    ++count;
  }
  std::fclose(file);
  return count;
}

void PerEntry(benchmark::State& state) {
  state.counters["entries/s"] =
      benchmark::Counter(static_cast<double>(state.range(0)), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_WalkBaseline(benchmark::State& state) {
  const std::string& path = ArchivePath(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    if (WalkCentralDirectory(path) != state.range(0)) state.SkipWithError("walk miscounted");
  }
  PerEntry(state);
}

void BM_ReadZipDirectory(benchmark::State& state) {
  const std::string& path = ArchivePath(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    TZipReader reader;
    reader.SetZipName(path);
    reader.ReadZipDirectory();
    if (reader.EntryCount() != state.range(0)) state.SkipWithError("reader miscounted");
  }
  PerEntry(state);
}

void BM_FindBookEntry(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  TZipReader reader;
  reader.SetZipName(ArchivePath(n));
  reader.ReadZipDirectory();
  const std::string last = "./" + EntryName(n - 1);
  for (auto _ : state) {
    if (FindBookEntry(&reader, last) != n) state.SkipWithError("look-up missed");
  }
}

BENCHMARK(BM_WalkBaseline)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadZipDirectory)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindBookEntry)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// Keeps the measured times so that the ratios can be printed at the end.
class TRatioReporter : public benchmark::ConsoleReporter {
public:
  std::map<std::string, double> Seconds;
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs)
      if (!run.error_occurred && run.run_type == Run::RT_Iteration)
        Seconds[run.benchmark_name()] = run.real_accumulated_time / static_cast<double>(run.iterations);
    ConsoleReporter::ReportRuns(runs);
  }
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  TRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\n%-10s %16s %16s %8s %18s\n", "entries", "walk ns/entry", "read ns/entry", "ratio", "look-up us");
  for (int n : {10000, 100000}) {
    const std::string suffix = "/" + std::to_string(n) + "/";
    auto find = [&](const std::string& name) {
      for (const auto& [key, seconds] : reporter.Seconds)
        if ((key + "/").find(name + suffix) == 0) return seconds;
      return 0.0;
    };
    const double walk = find("BM_WalkBaseline"), read = find("BM_ReadZipDirectory"), look = find("BM_FindBookEntry");
    if (walk <= 0 || read <= 0) continue;
    std::printf("%-10d %16.1f %16.1f %7.2fx %18.1f%s\n", n, walk * 1e9 / n, read * 1e9 / n, read / walk, look * 1e6,
                read / walk <= 3.0 ? "" : "   (over the 3x target)");
  }
  return 0;
}
