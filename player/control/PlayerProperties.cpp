// The player's interface as cached, version-gated properties and as methods.
// Older players lay their method tables out differently, so every call goes to
// the slot that the player's major version has for it.
#include <windows.h>
#include <oleauto.h>

#include <algorithm>

#include "Bstr.h"
#include "player/control/OleError.h"
#include "player/control/PlayerCodeSource.h"
#include "player/control/PlayerControl.h"
#include "player/control/PlayerSlots.h"

namespace vell::player {

namespace {

constexpr unsigned Versions(int from, int to) {
  unsigned mask = 0;
  for (int v = from; v <= to; ++v) mask |= 1u << v;
  return mask;
}

constexpr unsigned kFrom3 = Versions(3, 8);
constexpr unsigned kFrom4 = Versions(4, 8);
constexpr unsigned kFrom7 = Versions(7, 8);
constexpr unsigned kOnly8 = Versions(8, 8);

// The module that first takes AllowFullscreen: 9.0.28.0.
constexpr std::uint32_t kFullscreenModuleVersion = 0x09001C00;

constexpr TSlotGroup kMovie[] = {{kFrom3, 21, 22}};
constexpr TSlotGroup kFrameNum[] = {{kFrom3, 23, 24}};
constexpr TSlotGroup kPlaying[] = {{kFrom3, 9, 10}};
constexpr TSlotGroup kQuality[] = {{kFrom3, 11, 12}};
constexpr TSlotGroup kScaleMode[] = {{kFrom3, 13, 14}};
constexpr TSlotGroup kAlignMode[] = {{kFrom3, 15, 16}};
constexpr TSlotGroup kBackgroundColor[] = {{kFrom3, 17, 18}};
constexpr TSlotGroup kLoop[] = {{kFrom3, 19, 20}};
constexpr TSlotGroup kWMode[] = {{kFrom3, 40, 41}};
constexpr TSlotGroup kSAlign[] = {{kFrom3, 42, 43}};
constexpr TSlotGroup kMenu[] = {{kFrom3, 44, 45}};
constexpr TSlotGroup kBase[] = {{kFrom3, 46, 47}};
constexpr TSlotGroup kScale[] = {{kFrom3, 48, 49}};
constexpr TSlotGroup kDeviceFont[] = {{kFrom3, 50, 51}};
constexpr TSlotGroup kEmbedMovie[] = {{kFrom3, 52, 53}};
constexpr TSlotGroup kBGColor[] = {{kFrom3, 54, 55}};
constexpr TSlotGroup kQuality2[] = {{kFrom3, 56, 57}};
constexpr TSlotGroup kSWRemote[] = {
    {Versions(4, 5), MoviePlayerLegacySlots::kGetSWRemote, MoviePlayerLegacySlots::kPutSWRemote},
    {kFrom7, 74, 75}};
constexpr TSlotGroup kStacking[] = {
    {Versions(5, 5), MoviePlayerLegacySlots::kGetStacking, MoviePlayerLegacySlots::kPutStacking}};
constexpr TSlotGroup kMovieVars[] = {{kFrom7, 76, 77}};
constexpr TSlotGroup kAllowScriptAccess[] = {{kFrom7, 78, 79}};
constexpr TSlotGroup kMovieData[] = {{kFrom7, 80, 81}};

VARIANT_BOOL ToWordBool(bool value) { return value ? VARIANT_TRUE : VARIANT_FALSE; }

}  // namespace

TComRef<IMoviePlayer_9_0_28_0> TPlayerControl::PlayerInterface() {
  TComRef<IMoviePlayer_9_0_28_0> player;
  if (FAILED(player.QueryFrom(OleObject_.Get(), IID_IMoviePlayer)) || !player)
    throw EIntfCastError("Interface not supported");
  return player;
}

int TPlayerControl::PlayerVersion() {
  long version = 0;
  OleCheck(PlayerInterface()->PlayerVersion(&version));
  return static_cast<int>(version);
}

int TPlayerControl::PlayerMajorVersion() {
  if (!OleObject_) return -1;
  return std::min(PlayerMajorOf(PlayerVersion()), 8);
}

bool TPlayerControl::PlayerAllows(unsigned versions) {
  if (!OleObject_) return false;
  const int major = PlayerMajorVersion();
  return major >= 0 && major < 32 && (versions & (1u << major));
}

const TSlotGroup* TPlayerControl::GroupForPlayer(std::span<const TSlotGroup> groups) {
  if (!OleObject_) return nullptr;
  const int major = PlayerMajorVersion();
  for (const TSlotGroup& group : groups)
    if (major >= 0 && major < 32 && (group.Versions & (1u << major))) return &group;
  return nullptr;
}

// Property access never raises: a player that fails leaves the cached value,
// or an empty text for a string.
std::wstring TPlayerControl::ReadString(const std::wstring& cache, std::span<const TSlotGroup> groups) {
  std::wstring result = cache;
  try {
    if (const TSlotGroup* group = GroupForPlayer(groups)) {
      result.clear();
      TComRef<IMoviePlayer_9_0_28_0> player = PlayerInterface();
      TBstr value;
      if (SUCCEEDED(CallPlayerSlot(player.Get(), group->GetSlot, value.Out()))) result = value.Text();
    }
  } catch (...) {
  }
  return result;
}

void TPlayerControl::WriteString(std::wstring& cache, std::span<const TSlotGroup> groups, const std::wstring& value) {
  cache = value;
  try {
    if (const TSlotGroup* group = GroupForPlayer(groups)) {
      TComRef<IMoviePlayer_9_0_28_0> player = PlayerInterface();
      TBstr text(value);
      CallPlayerSlot(player.Get(), group->SetSlot, text.Get());
    }
  } catch (...) {
  }
}

int TPlayerControl::ReadInteger(int cache, std::span<const TSlotGroup> groups) {
  int result = cache;
  try {
    if (const TSlotGroup* group = GroupForPlayer(groups)) {
      TComRef<IMoviePlayer_9_0_28_0> player = PlayerInterface();
      long value = 0;
      if (SUCCEEDED(CallPlayerSlot(player.Get(), group->GetSlot, &value))) result = static_cast<int>(value);
    }
  } catch (...) {
  }
  return result;
}

void TPlayerControl::WriteInteger(int& cache, std::span<const TSlotGroup> groups, int value) {
  cache = value;
  try {
    if (const TSlotGroup* group = GroupForPlayer(groups)) {
      TComRef<IMoviePlayer_9_0_28_0> player = PlayerInterface();
      CallPlayerSlot(player.Get(), group->SetSlot, static_cast<long>(value));
    }
  } catch (...) {
  }
}

bool TPlayerControl::ReadBoolean(bool cache, std::span<const TSlotGroup> groups) {
  bool result = cache;
  try {
    if (const TSlotGroup* group = GroupForPlayer(groups)) {
      TComRef<IMoviePlayer_9_0_28_0> player = PlayerInterface();
      VARIANT_BOOL value = VARIANT_FALSE;
      if (SUCCEEDED(CallPlayerSlot(player.Get(), group->GetSlot, &value))) result = value != VARIANT_FALSE;
    }
  } catch (...) {
  }
  return result;
}

void TPlayerControl::WriteBoolean(bool& cache, std::span<const TSlotGroup> groups, bool value) {
  cache = value;
  try {
    if (const TSlotGroup* group = GroupForPlayer(groups)) {
      TComRef<IMoviePlayer_9_0_28_0> player = PlayerInterface();
      CallPlayerSlot(player.Get(), group->SetSlot, ToWordBool(value));
    }
  } catch (...) {
  }
}

std::wstring TPlayerControl::Movie() { return ReadString(Cache_.Movie, kMovie); }
void TPlayerControl::SetMovie(const std::wstring& value) { WriteString(Cache_.Movie, kMovie, value); }
int TPlayerControl::FrameNum() { return ReadInteger(Cache_.FrameNum, kFrameNum); }
void TPlayerControl::SetFrameNum(int value) { WriteInteger(Cache_.FrameNum, kFrameNum, value); }
bool TPlayerControl::Playing() { return ReadBoolean(Cache_.Playing, kPlaying); }
void TPlayerControl::SetPlaying(bool value) { WriteBoolean(Cache_.Playing, kPlaying, value); }
int TPlayerControl::Quality() { return ReadInteger(Cache_.Quality, kQuality); }
void TPlayerControl::SetQuality(int value) { WriteInteger(Cache_.Quality, kQuality, value); }
int TPlayerControl::ScaleMode() { return ReadInteger(Cache_.ScaleMode, kScaleMode); }
void TPlayerControl::SetScaleMode(int value) { WriteInteger(Cache_.ScaleMode, kScaleMode, value); }
int TPlayerControl::AlignMode() { return ReadInteger(Cache_.AlignMode, kAlignMode); }
void TPlayerControl::SetAlignMode(int value) { WriteInteger(Cache_.AlignMode, kAlignMode, value); }
int TPlayerControl::BackgroundColor() { return ReadInteger(Cache_.BackgroundColor, kBackgroundColor); }
void TPlayerControl::SetBackgroundColor(int value) { WriteInteger(Cache_.BackgroundColor, kBackgroundColor, value); }
bool TPlayerControl::Loop() { return ReadBoolean(Cache_.Loop, kLoop); }
void TPlayerControl::SetLoop(bool value) { WriteBoolean(Cache_.Loop, kLoop, value); }
std::wstring TPlayerControl::WMode() { return ReadString(Cache_.WMode, kWMode); }
void TPlayerControl::SetWMode(const std::wstring& value) { WriteString(Cache_.WMode, kWMode, value); }
std::wstring TPlayerControl::SAlign() { return ReadString(Cache_.SAlign, kSAlign); }
void TPlayerControl::SetSAlign(const std::wstring& value) { WriteString(Cache_.SAlign, kSAlign, value); }
bool TPlayerControl::Menu() { return ReadBoolean(Cache_.Menu, kMenu); }
void TPlayerControl::SetMenu(bool value) { WriteBoolean(Cache_.Menu, kMenu, value); }
std::wstring TPlayerControl::Base() { return ReadString(Cache_.Base, kBase); }
void TPlayerControl::SetBase(const std::wstring& value) { WriteString(Cache_.Base, kBase, value); }
std::wstring TPlayerControl::Scale() { return ReadString(Cache_.Scale, kScale); }
void TPlayerControl::SetScale(const std::wstring& value) { WriteString(Cache_.Scale, kScale, value); }
bool TPlayerControl::DeviceFont() { return ReadBoolean(Cache_.DeviceFont, kDeviceFont); }
void TPlayerControl::SetDeviceFont(bool value) { WriteBoolean(Cache_.DeviceFont, kDeviceFont, value); }
bool TPlayerControl::EmbedMovie() { return ReadBoolean(Cache_.EmbedMovie, kEmbedMovie); }
void TPlayerControl::SetEmbedMovie(bool value) { WriteBoolean(Cache_.EmbedMovie, kEmbedMovie, value); }
std::wstring TPlayerControl::BGColor() { return ReadString(Cache_.BGColor, kBGColor); }
void TPlayerControl::SetBGColor(const std::wstring& value) { WriteString(Cache_.BGColor, kBGColor, value); }
std::wstring TPlayerControl::Quality2() { return ReadString(Cache_.Quality2, kQuality2); }
void TPlayerControl::SetQuality2(const std::wstring& value) { WriteString(Cache_.Quality2, kQuality2, value); }
std::wstring TPlayerControl::SWRemote() { return ReadString(Cache_.SWRemote, kSWRemote); }
void TPlayerControl::SetSWRemote(const std::wstring& value) { WriteString(Cache_.SWRemote, kSWRemote, value); }
std::wstring TPlayerControl::Stacking() { return ReadString(Cache_.Stacking, kStacking); }
void TPlayerControl::SetStacking(const std::wstring& value) { WriteString(Cache_.Stacking, kStacking, value); }
std::wstring TPlayerControl::MovieVars() { return ReadString(Cache_.MovieVars, kMovieVars); }
void TPlayerControl::SetMovieVars(const std::wstring& value) { WriteString(Cache_.MovieVars, kMovieVars, value); }
std::wstring TPlayerControl::AllowScriptAccess() { return ReadString(Cache_.AllowScriptAccess, kAllowScriptAccess); }
void TPlayerControl::SetAllowScriptAccess(const std::wstring& value) {
  WriteString(Cache_.AllowScriptAccess, kAllowScriptAccess, value);
}
std::wstring TPlayerControl::MovieData() { return ReadString(Cache_.MovieData, kMovieData); }
void TPlayerControl::SetMovieData(const std::wstring& value) { WriteString(Cache_.MovieData, kMovieData, value); }

// Gated by the loaded module's own version, not by the player's answer.
namespace {

std::uint32_t ModuleVersion() {
  const auto& version = PlayerCodeSource().LoadedPlayerVersion;
  return version ? version() : 0;
}

}  // namespace

bool TPlayerControl::AllowFullscreen() {
  bool result = Cache_.AllowFullscreen;
  try {
    if (OleObject_ && ModuleVersion() >= kFullscreenModuleVersion) {
      TBstr value;
      OleCheck(PlayerInterface()->get_AllowFullscreen(value.Out()));
      result = value.Text() == L"true";
    }
  } catch (...) {
  }
  return result;
}

void TPlayerControl::SetAllowFullscreen(bool value) {
  Cache_.AllowFullscreen = value;
  try {
    if (OleObject_ && ModuleVersion() >= kFullscreenModuleVersion) {
      TBstr text(value ? L"true" : L"false");
      PlayerInterface()->put_AllowFullscreen(text.Get());
    }
  } catch (...) {
  }
}

void TPlayerControl::SetZoomRect(int left, int top, int right, int bottom) {
  if (PlayerAllows(kFrom3)) OleCheck(PlayerInterface()->SetZoomRect(left, top, right, bottom));
}

void TPlayerControl::Zoom(int factor) {
  if (PlayerAllows(kFrom3)) OleCheck(PlayerInterface()->Zoom(factor));
}

void TPlayerControl::Pan(int x, int y, int mode) {
  if (PlayerAllows(kFrom3)) OleCheck(PlayerInterface()->Pan(x, y, mode));
}

void TPlayerControl::Play() {
  if (PlayerAllows(kFrom3)) OleCheck(PlayerInterface()->Play());
}

void TPlayerControl::Stop() {
  if (PlayerAllows(kFrom3)) OleCheck(PlayerInterface()->Stop());
}

void TPlayerControl::Back() {
  if (PlayerAllows(kFrom3)) OleCheck(PlayerInterface()->Back());
}

void TPlayerControl::Forward() {
  if (PlayerAllows(kFrom3)) OleCheck(PlayerInterface()->Forward());
}

void TPlayerControl::Rewind() {
  if (PlayerAllows(kFrom3)) OleCheck(PlayerInterface()->Rewind());
}

void TPlayerControl::StopPlay() {
  if (PlayerAllows(kFrom3)) OleCheck(PlayerInterface()->StopPlay());
}

void TPlayerControl::GotoFrame(int frame) {
  if (PlayerAllows(kFrom3)) OleCheck(PlayerInterface()->GotoFrame(frame));
}

int TPlayerControl::CurrentFrame() {
  if (!PlayerAllows(kFrom3)) return 0;
  long frame = 0;
  OleCheck(PlayerInterface()->CurrentFrame(&frame));
  return static_cast<int>(frame);
}

bool TPlayerControl::IsPlaying() {
  if (!PlayerAllows(kFrom3)) return true;
  VARIANT_BOOL playing = VARIANT_FALSE;
  OleCheck(PlayerInterface()->IsPlaying(&playing));
  return playing != VARIANT_FALSE;
}

int TPlayerControl::PercentLoaded() {
  if (!PlayerAllows(kFrom3)) return 0;
  long percent = 0;
  OleCheck(PlayerInterface()->PercentLoaded(&percent));
  return static_cast<int>(percent);
}

bool TPlayerControl::FrameLoaded(int frame) {
  if (!PlayerAllows(kFrom3)) return true;
  VARIANT_BOOL loaded = VARIANT_FALSE;
  OleCheck(PlayerInterface()->FrameLoaded(frame, &loaded));
  return loaded != VARIANT_FALSE;
}

void TPlayerControl::LoadMovie(int layer, const std::wstring& url) {
  try {
    if (PlayerAllows(kFrom3)) {
      TBstr text(url);
      OleCheck(PlayerInterface()->LoadMovie(layer, text.Get()));
    }
  } catch (...) {
  }
}

void TPlayerControl::TGotoFrame(const std::wstring& target, int frame) {
  if (!PlayerAllows(kFrom3)) return;
  TBstr t(target);
  OleCheck(PlayerInterface()->TGotoFrame(t.Get(), frame));
}

void TPlayerControl::TGotoLabel(const std::wstring& target, const std::wstring& label) {
  if (!PlayerAllows(kFrom3)) return;
  TBstr t(target), l(label);
  OleCheck(PlayerInterface()->TGotoLabel(t.Get(), l.Get()));
}

int TPlayerControl::TCurrentFrame(const std::wstring& target) {
  if (!PlayerAllows(kFrom3)) return 0;
  TBstr t(target);
  long frame = 0;
  OleCheck(PlayerInterface()->TCurrentFrame(t.Get(), &frame));
  return static_cast<int>(frame);
}

std::wstring TPlayerControl::TCurrentLabel(const std::wstring& target) {
  if (!PlayerAllows(kFrom3)) return {};
  TBstr t(target), label;
  OleCheck(PlayerInterface()->TCurrentLabel(t.Get(), label.Out()));
  return label.Text();
}

void TPlayerControl::TPlay(const std::wstring& target) {
  if (!PlayerAllows(kFrom3)) return;
  TBstr t(target);
  OleCheck(PlayerInterface()->TPlay(t.Get()));
}

void TPlayerControl::TStopPlay(const std::wstring& target) {
  if (!PlayerAllows(kFrom3)) return;
  TBstr t(target);
  OleCheck(PlayerInterface()->TStopPlay(t.Get()));
}

void TPlayerControl::SetVariable(const std::wstring& name, const std::wstring& value) {
  if (!PlayerAllows(kFrom4)) return;
  TBstr n(name), v(value);
  OleCheck(PlayerInterface()->SetVariable(n.Get(), v.Get()));
}

std::wstring TPlayerControl::GetVariable(const std::wstring& name) {
  if (!PlayerAllows(kFrom4)) return {};
  TBstr n(name), value;
  OleCheck(PlayerInterface()->GetVariable(n.Get(), value.Out()));
  return value.Text();
}

void TPlayerControl::TSetProperty(const std::wstring& target, int property, const std::wstring& value) {
  if (!PlayerAllows(kFrom4)) return;
  TBstr t(target), v(value);
  OleCheck(PlayerInterface()->TSetProperty(t.Get(), property, v.Get()));
}

std::wstring TPlayerControl::TGetProperty(const std::wstring& target, int property) {
  if (!PlayerAllows(kFrom4)) return {};
  TBstr t(target), value;
  OleCheck(PlayerInterface()->TGetProperty(t.Get(), property, value.Out()));
  return value.Text();
}

void TPlayerControl::TCallFrame(const std::wstring& target, int frame) {
  if (!PlayerAllows(kFrom4)) return;
  TBstr t(target);
  OleCheck(PlayerInterface()->TCallFrame(t.Get(), frame));
}

void TPlayerControl::TCallLabel(const std::wstring& target, const std::wstring& label) {
  if (!PlayerAllows(kFrom4)) return;
  TBstr t(target), l(label);
  OleCheck(PlayerInterface()->TCallLabel(t.Get(), l.Get()));
}

void TPlayerControl::TSetPropertyNum(const std::wstring& target, int property, double value) {
  if (!PlayerAllows(kFrom4)) return;
  TBstr t(target);
  OleCheck(PlayerInterface()->TSetPropertyNum(t.Get(), property, value));
}

double TPlayerControl::TGetPropertyNum(const std::wstring& target, int property) {
  if (!PlayerAllows(kFrom4)) return 0;
  TBstr t(target);
  double value = 0;
  OleCheck(PlayerInterface()->TGetPropertyNum(t.Get(), property, &value));
  return value;
}

double TPlayerControl::TGetPropertyAsNumber(const std::wstring& target, int property) {
  if (!PlayerAllows(kFrom7)) return 0;
  TBstr t(target);
  double value = 0;
  OleCheck(PlayerInterface()->TGetPropertyAsNumber(t.Get(), property, &value));
  return value;
}

std::wstring TPlayerControl::CallFunction(const std::wstring& request) {
  if (!PlayerAllows(kOnly8)) return {};
  TBstr r(request), response;
  OleCheck(PlayerInterface()->CallFunction(r.Get(), response.Out()));
  return response.Text();
}

void TPlayerControl::SetReturnValue(const std::wstring& value) {
  if (!PlayerAllows(kOnly8)) return;
  TBstr v(value);
  OleCheck(PlayerInterface()->SetReturnValue(v.Get()));
}

int TPlayerControl::GetReadyState() {
  if (!PlayerAllows(kFrom3)) return Cache_.ReadyState;
  long state = 0;
  OleCheck(PlayerInterface()->GetReadyState(&state));
  return static_cast<int>(state);
}

int TPlayerControl::GetTotalFrames() {
  if (!PlayerAllows(kFrom3)) return Cache_.TotalFrames;
  long frames = 0;
  OleCheck(PlayerInterface()->GetTotalFrames(&frames));
  return static_cast<int>(frames);
}

// IPlayerControlBase: the content manager sets movies and reads Base here.
HRESULT TPlayerControl::PutMovie(LPCWSTR url) {
  SetMovie(url ? url : L"");
  return S_OK;
}

HRESULT TPlayerControl::LoadMovieForManager(long layer, LPCWSTR url) {
  LoadMovie(static_cast<int>(layer), url ? url : L"");
  return S_OK;
}

HRESULT TPlayerControl::GetBase(BSTR* base) {
  if (!base) return E_POINTER;
  const std::wstring text = Base();
  *base = TBstr(text).Detach();
  return S_OK;
}

}  // namespace vell::player
