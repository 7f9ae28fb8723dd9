// Exact-name questions at 100, 10,000 and 100,000 entries: FindBookEntry,
// and UnpackToStream of a tiny entry by its plain name (the reader's
// defaults: the archive is opened and closed around each extraction).
// Prints each time per call, the largest over the smallest archive (target:
// at most 1.5), and the median of 1,000 random look-ups plus extractions at
// 100,000 entries (target: at most 10 us).
//
// The machines these run on are shared: each measure is repeated, the
// repetitions of all sizes interleaved at random, and the median taken, so
// that a busy moment of a neighbour does not land on one size alone.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "BenchArchive.h"
#include "BookCheck.h"
#include "ZipReader.h"

namespace {

using benchzip::ArchivePath;
using benchzip::EntryName;

constexpr int kSizes[] = {100, 10000, 100000};

// Names asked for in a random order, so that no size is favoured by its cache.
std::vector<std::string> RandomNames(int n, int count, const char* prefix) {
  std::mt19937 random(42);
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i) names.push_back(prefix + EntryName(static_cast<int>(random() % n)));
  return names;
}

void BM_FindBookEntry(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  TZipReader reader;
  reader.SetZipName(ArchivePath(n));
  reader.ReadZipDirectory();
  FindBookEntry(&reader, "book.swf");  // the index is built on the first question
  const auto names = RandomNames(n, 4096, "./");
  std::size_t k = 0;
  for (auto _ : state) {
    if (FindBookEntry(&reader, names[k++ & 4095]) == 0) state.SkipWithError("look-up missed");
  }
}

void BM_UnpackPlainName(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  TZipReader reader;
  reader.SetZipName(ArchivePath(n));
  reader.ReadZipDirectory();
  TMemoryStream stream;
  reader.UnpackToStream(&stream, "book.swf");
  auto names = RandomNames(n, 4096, "");
  for (auto& name : names) std::replace(name.begin(), name.end(), '/', '\\');
  std::size_t k = 0;
  for (auto _ : state) {
    stream.Clear();
    if (reader.UnpackToStream(&stream, names[k++ & 4095]) != 1) state.SkipWithError("extraction failed");
  }
}

BENCHMARK(BM_FindBookEntry)->Arg(100)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_UnpackPlainName)->Arg(100)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

constexpr int kRepetitions = 5;

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
  return values[values.size() / 2];
}

class TRatioReporter : public benchmark::ConsoleReporter {
public:
  std::map<std::string, std::vector<double>> Seconds;  // by name without the repetition suffix
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs)
      if (!run.error_occurred && run.run_type == Run::RT_Iteration)
        Seconds[run.run_name.str()].push_back(run.real_accumulated_time / static_cast<double>(run.iterations));
    ConsoleReporter::ReportRuns(runs);
  }
};

// As the reader application does it for each file a movie asks for.
// With keepOpen the archive stays open between calls, which leaves out the
// file open, the size and time queries and the close of each call.
double MedianLookUpAndExtraction(int n, int count, bool keepOpen) {
  TZipReader reader;
  reader.SetKeepZipOpen(keepOpen);
  reader.SetZipName(ArchivePath(n));
  reader.ReadZipDirectory();
  TMemoryStream stream;
  reader.UnpackToStream(&stream, "book.swf");
  FindBookEntry(&reader, "book.swf");
  const auto names = RandomNames(n, count, "./");
  std::vector<double> micros;
  for (const auto& name : names) {
    const auto start = std::chrono::steady_clock::now();
    stream.Clear();
    const bool ok = FindBookEntry(&reader, name) != 0 &&
                    reader.UnpackToStream(&stream, NormalizeBookEntryName(name)) == 1;
    micros.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
    if (!ok) std::printf("failed: %s\n", name.c_str());
  }
  std::nth_element(micros.begin(), micros.begin() + count / 2, micros.end());
  return micros[static_cast<std::size_t>(count / 2)];
}

}  // namespace

int main(int argc, char** argv) {
  // Defaults first, so that options given on the command line win.
  std::string repetitions = "--benchmark_repetitions=" + std::to_string(kRepetitions);
  std::string interleave = "--benchmark_enable_random_interleaving=true";
  std::vector<char*> args = {argv[0], repetitions.data(), interleave.data()};
  args.insert(args.end(), argv + 1, argv + argc);
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());
  TRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\n%-20s", "us per call");
  for (int n : kSizes) std::printf("%12d", n);
  std::printf("%16s\n", "largest/smallest");
  for (const char* name : {"BM_FindBookEntry", "BM_UnpackPlainName"}) {
    std::printf("%-20s", name + 3);
    std::vector<double> times;
    for (int n : kSizes) {
      const auto found = reporter.Seconds.find(std::string(name) + "/" + std::to_string(n));
      times.push_back(found == reporter.Seconds.end() ? 0.0 : Median(found->second));
      std::printf("%12.3f", times.back() * 1e6);
    }
    const double ratio = times.front() > 0 ? times.back() / times.front() : 0;
    std::printf("%15.2fx%s\n", ratio, ratio <= 1.5 ? "" : "   (over the 1.5x target)");
  }
  std::vector<double> closing, keeping;
  for (int round = 0; round < kRepetitions; ++round) {
    closing.push_back(MedianLookUpAndExtraction(100000, 1000, false));
    keeping.push_back(MedianLookUpAndExtraction(100000, 1000, true));
  }
  const double median = Median(closing);
  std::printf("\nmedian of 1,000 random look-ups + extractions at 100,000 entries: %.2f us%s\n", median,
              median <= 10.0 ? "" : "   (over the 10 us target)");
  std::printf("the same with KeepZipOpen: %.2f us\n", Median(keeping));
  std::printf("(each the median of %d rounds)\n", kRepetitions);
  return 0;
}
