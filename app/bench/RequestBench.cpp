// The player's requests through the real chain: the content manager, the
// main window's handlers, the archive reader and the content provider.
// Prints the median time per request on books of 100 and of 100,000
// entries and their ratio (target: at most 2), for pages asked for by file
// call and for files asked for by URL; then the peak memory that opening a
// book with a 50 MB movie adds (target: at most 1.5 x 50 MB), measured in a
// process of its own so that nothing before counts. A program, not
// a test: run it by hand under Wine, e.g.
//   scripts/with-xvfb scripts/wine-run build/win64/bin/bench_requests.exe
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "HistoryFiles.h"
#include "TestBooks.h"
#include "UfrmMain.h"
#include "player/content/ContentManager.h"
#include "player/content/ContentProvider.h"
#include "player/content/MemoryPath.h"
#include "player/content/ProcessContentManager.h"
#include "player/control/PlayerControl.h"
#include "ui/Application.h"

namespace {

using vell::player::ProcessContentManager;

constexpr int kRequests = 1000;
constexpr std::size_t kMovieBytes = 50u << 20;

std::string PageName(int i) {
  char name[64];
  std::snprintf(name, sizeof name, "files/pages/page-%06d.jpg", i);
  return name;
}

std::string WriteBook(const std::string& folder, int pages) {
  TZipEntries entries{{"book.swf", "FWS\x0a" + std::string(26, '\0')}, {"files/book.bin", "bin"}};
  for (int i = 0; i < pages; ++i) entries.emplace_back(PageName(i), std::string(2048, static_cast<char>('a' + i % 26)));
  const std::string path = folder + "book-" + std::to_string(pages) + ".vlq";
  WriteStoredZip(path, entries);
  return path;
}

// The folder of the movie that the control filed, as the player sees it.
std::wstring MovieFolder(TfrmMain& form) {
  std::wstring movie = form.PlayerControl1->Movie();
  return movie.substr(0, movie.find_last_of(L"\\/") + 1);
}

double MedianMicroseconds(std::vector<double> samples) {
  std::nth_element(samples.begin(), samples.begin() + samples.size() / 2, samples.end());
  return samples[samples.size() / 2];
}

struct TMedians {
  double byFile, byUrl;
};

// A main window with no book and nothing to open at its first show, whose
// recent list stays in the benchmark's folder rather than the reader's own.
std::unique_ptr<TfrmMain> QuietForm(const std::string& folder) {
  auto form = std::make_unique<TfrmMain>(nullptr);
  form->CommandLineArguments.clear();
  form->BookBesideExe.clear();
  form->Historyprojects->SetLocalPath(folder);
  form->Historyprojects->SetIniFile(folder + "open.ini");
  return form;
}

TMedians MeasureRequests(const std::string& benchFolder, const std::string& book, int pages) {
  std::unique_ptr<TfrmMain> owned = QuietForm(benchFolder);
  TfrmMain& form = *owned;
  if (!form.OpenBook(book)) throw std::runtime_error("the benchmark book did not open");
  vell::player::TContentManager& manager = ProcessContentManager();
  const std::wstring folder = MovieFolder(form);
  std::mt19937 random(7);
  std::vector<char> buffer(4096);
  std::vector<double> byFile, byUrl;
  for (int i = 0; i < kRequests; ++i) {
    const std::string name = PageName(static_cast<int>(random() % pages));
    const std::wstring wide(name.begin(), name.end());

    auto start = std::chrono::steady_clock::now();
    HANDLE file = manager.OpenFile((folder + wide).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                   nullptr);
    DWORD read = 0;
    if (file == INVALID_HANDLE_VALUE || !manager.ReadFile(file, buffer.data(), 4096, &read, nullptr) || read != 2048)
      throw std::runtime_error("a page was not served");
    manager.CloseHandle(file);
    byFile.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());

    start = std::chrono::steady_clock::now();
    TComRef<vell::player::IContentProvider> provider;
    TComRef<IStream> stream;
    vell::player::TContentProvider::Create(provider, stream);
    if (!manager.RaiseLoadEvents(form.PlayerControl1->ClientSite(), wide, stream.Get()))
      throw std::runtime_error("a file was not served");
    byUrl.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
  }
  return {MedianMicroseconds(byFile), MedianMicroseconds(byUrl)};
}

std::size_t PeakBytes() {
  PROCESS_MEMORY_COUNTERS counters{};
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return counters.PeakPagefileUsage;
}

std::size_t CurrentBytes() {
  PROCESS_MEMORY_COUNTERS counters{};
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return counters.PagefileUsage;
}

constexpr char kOpenMovieSwitch[] = "--open-movie";

// Runs in a process of its own, so that the peak counter holds nothing of
// the requests measured before or of writing the book.
int MeasureOpeningMovie(const std::string& book) {
  std::unique_ptr<TfrmMain> form = QuietForm(book.substr(0, book.find_last_of('\\') + 1));
  const std::size_t before = CurrentBytes();
  // The system's own peak counter is not kept by every platform layer: a
  // watcher samples the usage while the book opens, and the larger counts.
  std::atomic<bool> opening{true};
  std::atomic<std::size_t> sampled{before};
  std::thread watcher([&] {
    while (opening) {
      sampled = std::max(sampled.load(), CurrentBytes());
      Sleep(0);
    }
  });
  const bool opened = form->OpenBook(book);
  opening = false;
  watcher.join();
  if (!opened) throw std::runtime_error("the movie book did not open");
  const std::size_t peak = std::max(PeakBytes(), sampled.load());
  std::printf("opening a 50 MB movie: peak %.1f MB above the reader before (target <= 75.0), %.1f MB held after\n",
              (peak - before) / 1048576.0, (CurrentBytes() - before) / 1048576.0);
  return 0;
}

// This program again, with the switch and the book; its exit code.
DWORD RunMeasurementProcess(const std::string& book) {
  char self[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string command = "\"" + std::string(self) + "\" " + kOpenMovieSwitch + " \"" + book + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION process{};
  std::fflush(stdout);
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process))
    throw std::runtime_error("the measuring process did not start");
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return code;
}

}  // namespace

int main(int argc, char** argv) try {
  ui::Application().OnMessageBox = [](const std::string& text, const std::string&, UINT) {
    std::printf("message: %s\n", text.c_str());
    return IDOK;
  };
  // The measuring process never starts another: anything but its exact
  // arguments is refused.
  if (argc > 1) {
    if (argc != 3 || std::string(argv[1]) != kOpenMovieSwitch)
      throw std::runtime_error("usage: bench_requests [--open-movie BOOK]");
    return MeasureOpeningMovie(argv[2]);
  }

  // The benchmark's books are large: none stays behind.
  const testsupport::TScratchFolder scratch;
  const std::string folder = scratch.Path("");
  const TMedians small = MeasureRequests(folder, WriteBook(folder, 100), 100);
  const TMedians large = MeasureRequests(folder, WriteBook(folder, 100000), 100000);
  std::printf("pages by file call: median %.1f us at 100 entries, %.1f us at 100,000: ratio %.2f (target <= 2)\n",
              small.byFile, large.byFile, large.byFile / small.byFile);
  std::printf("files by URL:       median %.1f us at 100 entries, %.1f us at 100,000: ratio %.2f (target <= 2)\n",
              small.byUrl, large.byUrl, large.byUrl / small.byUrl);

  const std::string movieBook = folder + "movie.vlq";
  WriteStoredZip(movieBook, {{"book.swf", "FWS\x0a" + std::string(kMovieBytes - 4, '\0')}, {"files/book.bin", "bin"}});
  return static_cast<int>(RunMeasurementProcess(movieBook));
} catch (const std::exception& error) {
  std::printf("benchmark failed: %s\n", error.what());
  return 1;
}
