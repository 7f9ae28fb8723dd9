#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "BookNavigator.h"
#include "ComBase.h"
#include "JpegPicture.h"
#include "MovieAddress.h"
#include "fetch/UrlDownload.h"
#include "stage/StageRenderer.h"

namespace pageplayer {

// What the book player tells its object.
class IBookPlayerEvents {
public:
  virtual void ReadyStateChanged(int state) = 0;
  virtual void ProgressChanged(int percent) = 0;
  virtual void ScriptCall(const std::wstring& request) = 0;
  virtual void StageChanged() = 0;

protected:
  ~IBookPlayerEvents() = default;
};

inline constexpr wchar_t kNotPlayableText[] = L"This file is not a playable movie.";
inline constexpr wchar_t kNoPageListText[] = L"This book has no page list.";

// Plays one movie as a book: fetches the movie, checks its header, fetches
// the page list and reads each page when it is first shown. Downloads
// report through messages to the notify window, which hands them to
// HandleDownloadNotice, so everything happens on that window's thread.
class TBookPlayer {
public:
  enum ReadyState { kLoading = 0, kInteractive = 3, kComplete = 4 };
  static constexpr UINT kDownloadMessage = WM_APP + 0x70;

  TBookPlayer(IBookPlayerEvents& events, HWND notifyWindow) : events_(events), notifyWindow_(notifyWindow) {}
  TBookPlayer(const TBookPlayer&) = delete;
  TBookPlayer& operator=(const TBookPlayer&) = delete;
  ~TBookPlayer() { Stop(); }

  // A blank address clears the stage; any other is fetched.
  void Load(const std::wstring& address);
  void HandleDownloadNotice(WPARAM what, LPARAM download);

  int ReadyState() const { return readyState_; }
  int PercentLoaded() const { return percentLoaded_; }
  TBookNavigator& Navigator() { return navigator_; }
  const TBookNavigator& Navigator() const { return navigator_; }

  // What the stage shows now; starts reading the pages it shows.
  TStageView PrepareView(COLORREF background);

private:
  enum class Step { Idle, Movie, PageList, BookBin, Ready };
  struct TPage {
    std::string source;
    TShownPage::State state = TShownPage::State::Waiting;
    bool requested = false;
    std::optional<TPicture> picture;
    TComPtr<TUrlDownload> download;
  };

  void Stop();
  void SetReadyState(int state);
  void Fetch(const std::wstring& relative);
  void MovieArrived(const TUrlDownload& download);
  void PageListArrived(const TUrlDownload& download);
  void BookLoaded(std::vector<std::string> pages);
  void ShowText(const wchar_t* text);
  void RequestPage(int index);
  void PageArrived(int index, std::optional<std::vector<std::uint8_t>> bytes);

  IBookPlayerEvents& events_;
  HWND notifyWindow_;
  std::optional<TMovieAddress> movie_;
  Step step_ = Step::Idle;
  int readyState_ = kComplete;
  int percentLoaded_ = 0;
  std::wstring text_;
  TComPtr<TUrlDownload> download_;  // the movie or its page list
  std::vector<TPage> pages_;
  TBookNavigator navigator_;
};

}  // namespace pageplayer
