#include "stage/BookPlayer.h"

#include "MovieHeader.h"
#include "PageList.h"
#include "ScriptCalls.h"
#include "fetch/FileRead.h"

namespace pageplayer {

namespace {

std::wstring Widen(const std::string& utf8) {
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(length, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), length);
  return wide;
}

}  // namespace

void TBookPlayer::Stop() {
  if (download_) download_->Abort();
  download_.Reset();
  for (TPage& page : pages_) {
    if (page.download) page.download->Abort();
  }
  pages_.clear();
  navigator_.Reset(0);
  text_.clear();
  step_ = Step::Idle;
}

void TBookPlayer::Load(const std::wstring& address) {
  Stop();
  movie_.reset();
  percentLoaded_ = 0;
  if (IsBlankAddress(address)) {
    readyState_ = kComplete;
    events_.StageChanged();
    return;
  }
  movie_.emplace(address);
  step_ = Step::Movie;
  SetReadyState(kLoading);
  download_ = TUrlDownload::Start(movie_->Text(), notifyWindow_, kDownloadMessage);
  events_.StageChanged();
}

void TBookPlayer::SetReadyState(int state) {
  readyState_ = state;
  events_.ReadyStateChanged(state);
}

void TBookPlayer::Fetch(const std::wstring& relative) {
  download_ = TUrlDownload::Start(movie_->Resolve(relative), notifyWindow_, kDownloadMessage);
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
    if (what != TUrlDownload::kFinished) return;
    download_.Reset();
    if (step_ == Step::Movie) {
      MovieArrived(*download.Get());
    } else if (step_ == Step::PageList || step_ == Step::BookBin) {
      PageListArrived(*download.Get());
    }
    return;
  }
  for (std::size_t i = 0; i < pages_.size(); ++i) {
    if (pages_[i].download.Get() == download.Get() && what == TUrlDownload::kFinished) {
      pages_[i].download.Reset();
      PageArrived(static_cast<int>(i), download->Succeeded() ? std::optional(download->Bytes()) : std::nullopt);
    }
  }
}

void TBookPlayer::MovieArrived(const TUrlDownload& download) {
  if (!download.Succeeded()) {
    // Nothing to play: the stage stays empty.
    step_ = Step::Idle;
    SetReadyState(kComplete);
    events_.StageChanged();
    return;
  }
  if (percentLoaded_ != 100) {
    percentLoaded_ = 100;
    events_.ProgressChanged(100);
  }
  if (!ReadMovieHeader(download.Bytes())) {
    ShowText(kNotPlayableText);
    return;
  }
  SetReadyState(kInteractive);
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
  SetReadyState(kComplete);
  events_.StageChanged();
}

void TBookPlayer::BookLoaded(std::vector<std::string> pages) {
  step_ = Step::Ready;
  pages_.resize(pages.size());
  for (std::size_t i = 0; i < pages.size(); ++i) pages_[i].source = std::move(pages[i]);
  navigator_.Reset(static_cast<int>(pages_.size()));
  SetReadyState(kComplete);
  events_.ScriptCall(BookReadyCall(static_cast<int>(pages_.size())));
  events_.StageChanged();
}

void TBookPlayer::RequestPage(int index) {
  TPage& page = pages_[index];
  if (page.requested) return;
  page.requested = true;
  const std::wstring address = movie_->Resolve(Widen(page.source));
  if (movie_->IsPath()) {
    PageArrived(index, ReadWholeFile(address));
  } else {
    page.download = TUrlDownload::Start(address, notifyWindow_, kDownloadMessage);
  }
}

void TBookPlayer::PageArrived(int index, std::optional<std::vector<std::uint8_t>> bytes) {
  TPage& page = pages_[index];
  if (bytes) page.picture = DecodePicture(*bytes, {}).picture;
  page.state = page.picture ? TShownPage::State::Shown : TShownPage::State::Failed;
  if (step_ == Step::Ready && !movie_->IsPath()) events_.StageChanged();
}

TStageView TBookPlayer::PrepareView(COLORREF background) {
  TStageView view;
  view.background = background;
  view.text = text_;
  if (!text_.empty() || step_ != Step::Ready) return view;
  const int first = navigator_.FirstShownPage();
  for (int i = first; i < first + navigator_.ShownPageCount(); ++i) {
    RequestPage(i);
    const TPage& page = pages_[i];
    view.pages.push_back({i + 1, page.state, page.picture ? &*page.picture : nullptr});
  }
  return view;
}

}  // namespace pageplayer
