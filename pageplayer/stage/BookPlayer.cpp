#include "stage/BookPlayer.h"

#include <algorithm>

#include "MovieHeader.h"
#include "PageList.h"
#include "ScriptCalls.h"

namespace pageplayer {

namespace {

// Pages read but not yet decoded wait in memory: a few keep the decoding
// threads busy without holding the bytes of many pages.
constexpr std::size_t kPagesInFlight = 3;

// How long one timer tick reads a page file before the window's other
// messages get their turn: well inside a frame, whatever else it draws. A
// page the person is waiting for gets more of each tick, still within one.
constexpr double kReadMillisecondsPerTick = 4.0;
constexpr double kShownReadMillisecondsPerTick = 10.0;

// Only the movie's header is used, and a movie may be large: its first bytes
// hold the whole header even when the rest is compressed.
constexpr std::size_t kMovieBytesKept = 4096;

std::wstring Widen(const std::string& utf8) {
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(length, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), length);
  return wide;
}

}  // namespace

TBookPlayer::~TBookPlayer() {
  Stop();
  if (timerSet_ && notifyWindow_) KillTimer(notifyWindow_, kReadTimer);
}

void TBookPlayer::Stop() {
  // Whatever is still on its way belongs to the load that ends here.
  ++generation_;
  if (download_) download_->Abort();
  download_.Reset();
  for (auto& [page, download] : pageDownloads_) download->Abort();
  pageDownloads_.clear();
  pageRead_.reset();
  workers_.Sift([](const TDecodeJob&) { return -1; });
  pages_.clear();
  cache_.Clear();
  refused_.clear();
  aimedFirst_ = -1;
  aimedCount_ = 0;
  navigator_.Reset(0);
  text_.clear();
  step_ = Step::Idle;
}

void TBookPlayer::Load(const std::wstring& address) {
  Stop();
  const unsigned generation = generation_;
  movie_.reset();
  percentLoaded_ = 0;
  if (IsBlankAddress(address)) {
    readyState_ = kComplete;
    events_.StageChanged();
    return;
  }
  movie_.emplace(address);
  step_ = Step::Movie;
  if (!SetReadyState(kLoading)) return;
  TComPtr<TUrlDownload> download = TUrlDownload::Start(movie_->Text(), notifyWindow_, kDownloadMessage, kMovieBytesKept);
  if (generation != generation_) return download->Abort();
  download_ = std::move(download);
  events_.StageChanged();
}

bool TBookPlayer::SetReadyState(int state) {
  const unsigned generation = generation_;
  readyState_ = state;
  events_.ReadyStateChanged(state);
  return generation == generation_;
}

bool TBookPlayer::Fetch(const std::wstring& relative) {
  const unsigned generation = generation_;
  TComPtr<TUrlDownload> download =
      TUrlDownload::Start(movie_->Resolve(relative).value_or(L""), notifyWindow_, kDownloadMessage);
  if (generation != generation_) {
    download->Abort();
    return false;
  }
  download_ = std::move(download);
  return true;
}

void TBookPlayer::HandleDownloadNotice(WPARAM what, LPARAM lParam) {
  // The message carried a reference of its own.
  const TComPtr<TUrlDownload> download(reinterpret_cast<TUrlDownload*>(lParam));
  if (download.Get() == download_.Get()) {
    if (what == TUrlDownload::kProgress && step_ == Step::Movie) {
      const int percent = download->PercentDone();
      if (percent >= 0 && percent != percentLoaded_) {
        percentLoaded_ = percent;
        events_.ProgressChanged(percent);
      }
    }
    if (what != TUrlDownload::kFinished || download.Get() != download_.Get()) return;
    download_.Reset();
    if (step_ == Step::Movie) {
      MovieArrived(*download.Get());
    } else if (step_ == Step::PageList || step_ == Step::BookBin) {
      PageListArrived(*download.Get());
    }
    return;
  }
  if (what != TUrlDownload::kFinished) return;
  for (auto entry = pageDownloads_.begin(); entry != pageDownloads_.end(); ++entry) {
    if (entry->second.Get() != download.Get()) continue;
    const int page = entry->first;
    pageDownloads_.erase(entry);
    PageArrived(page, box_, download->Succeeded() ? std::optional(download->Bytes()) : std::nullopt);
    return;
  }
}

void TBookPlayer::MovieArrived(const TUrlDownload& download) {
  const unsigned generation = generation_;
  if (!download.Succeeded()) {
    // Nothing to play: the stage stays empty.
    step_ = Step::Idle;
    if (SetReadyState(kComplete)) events_.StageChanged();
    return;
  }
  if (percentLoaded_ != 100) {
    percentLoaded_ = 100;
    events_.ProgressChanged(100);
    if (generation != generation_) return;
  }
  if (!ReadMovieHeader(download.Bytes())) return ShowText(kNotPlayableText);
  if (!SetReadyState(kInteractive)) return;
  step_ = Step::PageList;
  Fetch(L"files/config.xml");
}

void TBookPlayer::PageListArrived(const TUrlDownload& download) {
  std::optional<TPageList> list;
  if (download.Succeeded()) {
    const auto& bytes = download.Bytes();
    list = ParsePageList(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  }
  if (list) return BookLoaded(std::move(list->pages));
  if (step_ == Step::PageList) {
    step_ = Step::BookBin;
    Fetch(L"files/book.bin");
    return;
  }
  ShowText(kNoPageListText);
}

void TBookPlayer::ShowText(const wchar_t* text) {
  text_ = text;
  step_ = Step::Idle;
  if (SetReadyState(kComplete)) events_.StageChanged();
}

void TBookPlayer::BookLoaded(std::vector<std::string> pages) {
  const unsigned generation = generation_;
  step_ = Step::Ready;
  pages_ = std::move(pages);
  navigator_.Reset(static_cast<int>(pages_.size()));
  if (!SetReadyState(kComplete)) return;
  events_.ScriptCall(BookReadyCall(static_cast<int>(pages_.size())));
  if (generation != generation_) return;
  events_.StageChanged();
}

bool TBookPlayer::IsShown(int page) const {
  return page >= aimedFirst_ && page < aimedFirst_ + aimedCount_;
}

void TBookPlayer::Aim(int firstShown, int shownCount, TDecodeBox box, double magnification) {
  const bool boxChanged = box.width != box_.width || box.height != box_.height;
  if (firstShown == aimedFirst_ && shownCount == aimedCount_ && !boxChanged && magnification == aimedMagnification_) {
    return;
  }
  aimedFirst_ = firstShown;
  aimedCount_ = shownCount;
  aimedMagnification_ = magnification;
  box_ = box;
  cache_.Focus(PagesByNeed(firstShown, shownCount, static_cast<int>(pages_.size())));
  std::vector<int> shown;
  for (int page = firstShown; page < firstShown + shownCount; ++page) shown.push_back(page);
  cache_.SetMagnified(std::move(shown), magnification);
  refused_.clear();
  // Pages read for a spread the person has moved past are no failure: they
  // are simply not needed any more.
  const unsigned generation = generation_;
  const std::vector<int>& wanted = cache_.Wanted();
  workers_.Sift([&](const TDecodeJob& job) {
    if (job.generation != generation) return -1;
    const auto found = std::find(wanted.begin(), wanted.end(), job.page);
    return found == wanted.end() ? -1 : static_cast<int>(found - wanted.begin());
  });
  for (auto entry = pageDownloads_.begin(); entry != pageDownloads_.end();) {
    if (cache_.IsWanted(entry->first)) {
      ++entry;
      continue;
    }
    entry->second->Abort();
    entry = pageDownloads_.erase(entry);
  }
  ScheduleReads();
}

void TBookPlayer::ScheduleReads() {
  if (timerSet_ || !notifyWindow_) return;
  // A timer, not a posted message: it waits behind input and painting, so
  // preparing the next spread never delays showing this one.
  timerSet_ = SetTimer(notifyWindow_, kReadTimer, 1, nullptr) != 0;
}

int TBookPlayer::NextPageToRead() {
  if (step_ != Step::Ready || box_.width <= 0 || box_.height <= 0) return -1;
  if (workers_.Busy() + pageDownloads_.size() >= kPagesInFlight) return -1;
  for (int page : cache_.Wanted()) {
    if (!cache_.Needs(page, box_) || refused_.count(page) || pageDownloads_.count(page)) continue;
    if (workers_.IsQueuedOrRunning(generation_, page)) continue;
    return page;
  }
  return -1;
}

void TBookPlayer::HandleReadTimer() {
  // A read below may pump messages: this tick's nested twins wait for it.
  if (reading_) return;
  if (pageRead_) return ReadOn();
  const int page = NextPageToRead();
  if (page < 0 || page >= static_cast<int>(pages_.size())) {
    // Decoded pages start the timer again when there is more to do.
    if (timerSet_) KillTimer(notifyWindow_, kReadTimer);
    timerSet_ = false;
    return;
  }
  const unsigned generation = generation_;
  const TDecodeBox box = box_;
  const std::optional<std::wstring> resolved = movie_->Resolve(Widen(pages_[page]));
  // A name that leaves the book is never read: the page shows its placeholder.
  if (!resolved) return PageArrived(page, box, std::nullopt);
  const std::wstring& address = *resolved;
  if (!movie_->IsPath()) {
    TComPtr<TUrlDownload> download = TUrlDownload::Start(address, notifyWindow_, kDownloadMessage);
    if (generation != generation_ || !cache_.IsWanted(page)) return download->Abort();
    pageDownloads_[page] = std::move(download);
    return;
  }
  TFileRead file;
  reading_ = true;
  bool opened = false;
  try {
    opened = file.Open(address, workers_.TakeSpareBuffer());
  } catch (...) {
    reading_ = false;
    throw;
  }
  reading_ = false;
  if (generation != generation_) return;
  if (!opened) return PageArrived(page, box, std::nullopt);
  pageRead_.emplace(TPageRead{page, box, std::move(file)});
  ReadOn();
}

void TBookPlayer::ReadOn() {
  // The person may have moved on since the file was opened.
  if (!cache_.IsWanted(pageRead_->page)) {
    pageRead_.reset();
    return;
  }
  const TFileRead::Progress progress = pageRead_->file.ReadFor(
      IsShown(pageRead_->page) ? kShownReadMillisecondsPerTick : kReadMillisecondsPerTick);
  if (progress == TFileRead::Progress::More) return;
  const int page = pageRead_->page;
  const TDecodeBox box = pageRead_->box;
  std::optional<std::vector<std::uint8_t>> bytes;
  if (progress == TFileRead::Progress::Done) bytes = pageRead_->file.TakeBytes();
  pageRead_.reset();
  PageArrived(page, box, std::move(bytes));
}

void TBookPlayer::PageArrived(int page, TDecodeBox box, std::optional<std::vector<std::uint8_t>> bytes) {
  // The person may have moved on while it was read.
  if (!cache_.IsWanted(page)) return;
  if (!bytes || bytes->empty()) {
    TCachedPage failed;
    failed.failed = true;
    failed.failure = "the page could not be read";
    cache_.Put(page, std::move(failed));
    ScheduleReads();
    if (IsShown(page)) events_.StageChanged();
    return;
  }
  // The shown pages of a zoomed view are decoded for the zoom, the others for the stage.
  workers_.Queue({generation_, page, cache_.BoxFor(page, box), std::move(*bytes)});
  ScheduleReads();
}

void TBookPlayer::HandleDecoded() {
  bool shownChanged = false;
  for (TDecodeResult& result : workers_.TakeResults()) {
    if (result.generation != generation_ || !cache_.IsWanted(result.page)) continue;
    const int page = result.page;
    if (cache_.Put(page, std::move(result.entry))) {
      shownChanged = shownChanged || IsShown(page);
    } else {
      refused_.insert(page);
    }
  }
  ScheduleReads();
  if (shownChanged) events_.StageChanged();
}

TStageView TBookPlayer::PrepareView(COLORREF background, int stageWidth, int stageHeight, double magnification) {
  TStageView view;
  view.background = background;
  view.text = text_;
  if (!text_.empty() || step_ != Step::Ready) return view;
  view.pageCount = navigator_.PageCount();
  const int first = navigator_.FirstShownPage();
  const int count = navigator_.ShownPageCount();
  const TDecodeBox box = PageSlot(stageWidth, stageHeight, navigator_.FacingPages() ? 2 : 1);
  Aim(first, count, box, magnification);
  for (int page = first; page < first + count; ++page) {
    const TCachedPage* held = cache_.Find(page);
    if (!held) {
      view.pages.push_back({page + 1, TShownPage::State::Waiting, nullptr});
    } else if (held->failed) {
      view.pages.push_back({page + 1, TShownPage::State::Failed, nullptr});
    } else {
      view.pages.push_back({page + 1, TShownPage::State::Shown, &held->picture, held->sourceWidth, held->sourceHeight});
    }
  }
  return view;
}

}  // namespace pageplayer
