#pragma once
#include <windows.h>

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "BookNavigator.h"
#include "ComBase.h"
#include "MovieAddress.h"
#include "fetch/FileRead.h"
#include "fetch/UrlDownload.h"
#include "stage/DecodeWorkers.h"
#include "stage/PageCache.h"
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
// the page list, and prepares the shown spread and its neighbours ahead of
// the person. Downloads, decoded pages and the read timer report through
// the notify window, so everything but decoding happens on its thread.
//
// Every call out of here (a file read, a moniker bind, an event to the
// host) may re-enter and load another movie or none: each is followed by a
// check of the load generation, and nothing refers into the page table
// across one.
class TBookPlayer {
public:
  enum ReadyState { kLoading = 0, kInteractive = 3, kComplete = 4 };
  static constexpr UINT kDownloadMessage = WM_APP + 0x70;
  static constexpr UINT kDecodedMessage = WM_APP + 0x71;
  static constexpr UINT_PTR kReadTimer = 0x70;

  TBookPlayer(IBookPlayerEvents& events, HWND notifyWindow)
      : events_(events), notifyWindow_(notifyWindow), workers_(notifyWindow, kDecodedMessage) {}
  TBookPlayer(const TBookPlayer&) = delete;
  TBookPlayer& operator=(const TBookPlayer&) = delete;
  ~TBookPlayer();

  // A blank address clears the stage; any other is fetched.
  void Load(const std::wstring& address);
  void HandleDownloadNotice(WPARAM what, LPARAM download);
  void HandleDecoded();
  void HandleReadTimer();

  int ReadyState() const { return readyState_; }
  int PercentLoaded() const { return percentLoaded_; }
  TBookNavigator& Navigator() { return navigator_; }
  const TBookNavigator& Navigator() const { return navigator_; }

  // What a stage of this size shows now. It reads nothing itself: it aims
  // the preparation at the shown spread, which shows once decoded; decoded
  // again for the magnification of a zoomed view, the earlier pictures
  // drawn meanwhile.
  TStageView PrepareView(COLORREF background, int stageWidth, int stageHeight, double magnification = 1);

private:
  enum class Step { Idle, Movie, PageList, BookBin, Ready };

  void Stop();
  bool SetReadyState(int state);
  bool Fetch(const std::wstring& relative);
  void MovieArrived(const TUrlDownload& download);
  void PageListArrived(const TUrlDownload& download);
  void BookLoaded(std::vector<std::string> pages);
  void ShowText(const wchar_t* text);

  void Aim(int firstShown, int shownCount, TDecodeBox box, double magnification);
  void ScheduleReads();
  int NextPageToRead();
  void ReadOn();
  void PageArrived(int page, TDecodeBox box, std::optional<std::vector<std::uint8_t>> bytes);
  bool IsShown(int page) const;

  IBookPlayerEvents& events_;
  HWND notifyWindow_;
  unsigned generation_ = 0;
  std::optional<TMovieAddress> movie_;
  Step step_ = Step::Idle;
  int readyState_ = kComplete;
  int percentLoaded_ = 0;
  std::wstring text_;
  TComPtr<TUrlDownload> download_;  // the movie or its page list
  std::vector<std::string> pages_;  // each page's source
  TBookNavigator navigator_;

  TPageCache cache_;
  TDecodeBox box_;  // what the stage shows a page in; 0 x 0 until known
  int aimedFirst_ = -1;
  int aimedCount_ = 0;
  double aimedMagnification_ = 1;
  bool reading_ = false;
  // The page file being read a slice per timer tick, when there is one.
  struct TPageRead {
    int page;
    TDecodeBox box;
    TFileRead file;
  };
  std::optional<TPageRead> pageRead_;
  bool timerSet_ = false;
  std::set<int> refused_;  // pages the cache had no room for, until the aim moves
  std::map<int, TComPtr<TUrlDownload>> pageDownloads_;
  TDecodeWorkers workers_;
};

}  // namespace pageplayer
