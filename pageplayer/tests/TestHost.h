#pragma once
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "player/contract/PlayerContract.h"

namespace pageplayer::testing {

// What the player told its container.
struct TRecordedEvents {
  std::vector<long> readyStates;
  std::vector<long> progress;
  std::vector<std::pair<std::wstring, std::wstring>> fsCommands;  // command, arguments
  std::vector<std::wstring> scriptCalls;
  int inPlaceActivations = 0;
  int inPlaceDeactivations = 0;
  int uiActivations = 0;
  int uiDeactivations = 0;
  std::vector<DISPID> ambientQuestions;
  // A host's own handler of the ready-state and script-call events, run
  // after they are recorded: it may do anything a host may, such as set
  // another movie.
  std::function<void(DISPID id, long number, const std::wstring& text)> onEvent;
};

inline constexpr COLORREF kHostBackground = RGB(0x20, 0x30, 0x40);
// The blank paper the player draws for a page still on its way.
inline constexpr COLORREF kWaitingPaper = RGB(0xF4, 0xF4, 0xF4);

// A small container: one top-level window and a site that answers the
// in-place questions, ambient properties and the player's events.
class TTestHost {
public:
  TTestHost(int width, int height);
  TTestHost(const TTestHost&) = delete;
  TTestHost& operator=(const TTestHost&) = delete;
  ~TTestHost();

  // Creates the player from the module beside the test and, unless told
  // otherwise, activates it in place over the whole client area.
  void CreatePlayer(bool activate = true);
  void Activate(LONG verb = OLEIVERB_INPLACEACTIVATE);
  void DestroyPlayer();

  vell::player::IMoviePlayer_9_0_28_0& Player() { return *player_; }
  IOleObject& Object() { return *object_; }
  HWND Window() const { return window_; }
  HWND StageWindow() const;
  TRecordedEvents& Events();

  // Sets the movie and processes messages until the ready state is 4 (or 20 s pass).
  void PlayMovie(const std::wstring& address);
  void PutMovie(const std::wstring& address);
  // Processes messages until the condition holds or the time is up.
  bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds = 20000);
  void PumpFor(DWORD milliseconds);

  long CurrentFrame();
  long TotalFrames();
  std::wstring CurrentPageVariable();

  // The stage window's pixels once no page shown is still on its way (or 10 s passed).
  std::vector<COLORREF> Capture(int& width, int& height);
  // The stage window's pixels as painted now.
  std::vector<COLORREF> CaptureNow(int& width, int& height);
  // Writes the capture as a 24-bit BMP (for a person to look at).
  void SaveCapture(const std::wstring& path);

private:
  HWND window_ = nullptr;
  HMODULE module_ = nullptr;
  class TSite* site_ = nullptr;
  IOleObject* object_ = nullptr;
  vell::player::IMoviePlayer_9_0_28_0* player_ = nullptr;
  IConnectionPoint* events_ = nullptr;
  DWORD eventCookie_ = 0;
};

void WriteWholeFile(const std::wstring& path, const void* data, std::size_t size);
COLORREF PixelAt(const std::vector<COLORREF>& pixels, int width, int x, int y);
bool Near(COLORREF a, COLORREF b, int tolerance = 24);

}  // namespace pageplayer::testing
