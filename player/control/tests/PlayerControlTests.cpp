// The host control against a small player object of the test's own: version
// gates and caches of the player's properties and methods, events, ambient
// properties, the order of destruction, and the control's window.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Stream.h"
#include "TestPlayer.h"
#include "player/content/ContentManager.h"
#include "player/content/MemoryPath.h"
#include "player/content/ProcessContentManager.h"
#include "player/control/ContentManagerLink.h"
#include "player/control/OleError.h"
#include "player/control/PlayerCodeSource.h"
#include "player/control/PlayerControl.h"
#include "ui/Application.h"
#include "ui/Form.h"
#include "ui/Menu.h"
#include "ui/Messages.h"
#include "ui/Screen.h"

namespace vell::player::test {

namespace {

constexpr long VersionOf(int major) { return static_cast<long>(major) << 16; }

// Arguments of a COM call in the order COM passes them: the last one first.
struct TArguments {
  std::vector<VARIANT> values;
  DISPPARAMS params{};
  explicit TArguments(std::vector<std::wstring> lastFirst) {
    for (const std::wstring& text : lastFirst) {
      VARIANT v;
      VariantInit(&v);
      v.vt = VT_BSTR;
      v.bstrVal = SysAllocString(text.c_str());
      values.push_back(v);
    }
    params.rgvarg = values.data();
    params.cArgs = static_cast<UINT>(values.size());
  }
  explicit TArguments(VARIANT value) : values{value} {
    params.rgvarg = values.data();
    params.cArgs = 1;
  }
  ~TArguments() {
    for (VARIANT& v : values) VariantClear(&v);
  }
};

class PlayerControlTest : public ::testing::Test {
protected:
  void SetUp() override {
    ui::Application().OnException = [this](const std::string& message) { errors_.push_back(message); };
    form_ = std::make_unique<ui::TForm>(nullptr);
    form_->SetBounds(0, 0, 400, 300);
  }

  void TearDown() override {
    form_.reset();
    PlayerCodeSource() = {};
    SetUnregisterControl(nullptr);
    for (TTestPlayer* player : players_) player->Release();
    ui::Application().OnException = nullptr;
  }

  // A control whose player reports `major`, from a module of `moduleVersion`.
  TPlayerControl& Control(int major, std::uint32_t moduleVersion = 0x0A010000) {
    auto* player = new TTestPlayer(VersionOf(major));
    players_.push_back(player);
    PlayerCodeSource().CreatePlayerObject = [player](REFIID id, void** object) {
      return player->QueryInterface(id, object);
    };
    PlayerCodeSource().LoadedPlayerVersion = [moduleVersion] { return moduleVersion; };
    auto* control = new TPlayerControl(form_.get());
    control->SetParent(form_.get());
    player->ClearSlots();
    return *control;
  }

  TPlayerControl& ControlWithoutPlayer() {
    PlayerCodeSource() = {};
    auto* control = new TPlayerControl(form_.get());
    control->SetParent(form_.get());
    return *control;
  }

  TTestPlayer& Player() { return *players_.back(); }

  HRESULT Invoke(TPlayerControl& control, DISPID dispid, DISPPARAMS* params, WORD flags = DISPATCH_METHOD,
                 VARIANT* result = nullptr) {
    TComRef<IDispatch> sink;
    EXPECT_EQ(control.ClientSite()->QueryInterface(DIID_IMoviePlayerEvents, sink.OutVoid()), S_OK);
    return sink->Invoke(dispid, IID_NULL, 0, flags, params, result, nullptr, nullptr);
  }

  std::unique_ptr<ui::TForm> form_;
  std::vector<TTestPlayer*> players_;
  std::vector<std::string> errors_;
};

// One row per property and method: what reading and writing it does, and
// which slot each player version lays it on (0: the player is not called).
struct TGateRow {
  const char* name;
  std::function<void(TPlayerControl&)> read;
  std::function<void(TPlayerControl&)> write;  // empty for methods
  int slotFor5, slotFor6, slotFor7, slotFor10;
  int setSlotFor5 = 0, setSlotFor6 = 0, setSlotFor7 = 0, setSlotFor10 = 0;
};

TGateRow Property(const char* name, std::function<void(TPlayerControl&)> read,
                  std::function<void(TPlayerControl&)> write, std::array<int, 4> get, std::array<int, 4> set) {
  return {name, std::move(read), std::move(write), get[0], get[1], get[2], get[3], set[0], set[1], set[2], set[3]};
}

TGateRow Method(const char* name, std::function<void(TPlayerControl&)> call, std::array<int, 4> slot) {
  return {name, std::move(call), nullptr, slot[0], slot[1], slot[2], slot[3]};
}

std::array<int, 4> All(int slot) { return {slot, slot, slot, slot}; }

std::vector<TGateRow> GateRows() {
  using C = TPlayerControl;
  std::vector<TGateRow> rows = {
      Property("Movie", [](C& c) { c.Movie(); }, [](C& c) { c.SetMovie(L"m"); }, All(21), All(22)),
      Property("FrameNum", [](C& c) { c.FrameNum(); }, [](C& c) { c.SetFrameNum(1); }, All(23), All(24)),
      Property("Playing", [](C& c) { c.Playing(); }, [](C& c) { c.SetPlaying(true); }, All(9), All(10)),
      Property("Quality", [](C& c) { c.Quality(); }, [](C& c) { c.SetQuality(1); }, All(11), All(12)),
      Property("ScaleMode", [](C& c) { c.ScaleMode(); }, [](C& c) { c.SetScaleMode(1); }, All(13), All(14)),
      Property("AlignMode", [](C& c) { c.AlignMode(); }, [](C& c) { c.SetAlignMode(1); }, All(15), All(16)),
      Property("BackgroundColor", [](C& c) { c.BackgroundColor(); }, [](C& c) { c.SetBackgroundColor(1); }, All(17),
               All(18)),
      Property("Loop", [](C& c) { c.Loop(); }, [](C& c) { c.SetLoop(true); }, All(19), All(20)),
      Property("WMode", [](C& c) { c.WMode(); }, [](C& c) { c.SetWMode(L"w"); }, All(40), All(41)),
      Property("SAlign", [](C& c) { c.SAlign(); }, [](C& c) { c.SetSAlign(L"s"); }, All(42), All(43)),
      Property("Menu", [](C& c) { c.Menu(); }, [](C& c) { c.SetMenu(true); }, All(44), All(45)),
      Property("Base", [](C& c) { c.Base(); }, [](C& c) { c.SetBase(L"b"); }, All(46), All(47)),
      Property("Scale", [](C& c) { c.Scale(); }, [](C& c) { c.SetScale(L"s"); }, All(48), All(49)),
      Property("DeviceFont", [](C& c) { c.DeviceFont(); }, [](C& c) { c.SetDeviceFont(true); }, All(50), All(51)),
      Property("EmbedMovie", [](C& c) { c.EmbedMovie(); }, [](C& c) { c.SetEmbedMovie(true); }, All(52), All(53)),
      Property("BGColor", [](C& c) { c.BGColor(); }, [](C& c) { c.SetBGColor(L"#fff"); }, All(54), All(55)),
      Property("Quality2", [](C& c) { c.Quality2(); }, [](C& c) { c.SetQuality2(L"q"); }, All(56), All(57)),
      Property("SWRemote", [](C& c) { c.SWRemote(); }, [](C& c) { c.SetSWRemote(L"r"); }, {73, 0, 74, 74},
               {74, 0, 75, 75}),
      Property("Stacking", [](C& c) { c.Stacking(); }, [](C& c) { c.SetStacking(L"s"); }, {75, 0, 0, 0},
               {76, 0, 0, 0}),
      Property("MovieVars", [](C& c) { c.MovieVars(); }, [](C& c) { c.SetMovieVars(L"v"); }, {0, 0, 76, 76},
               {0, 0, 77, 77}),
      Property("AllowScriptAccess", [](C& c) { c.AllowScriptAccess(); }, [](C& c) { c.SetAllowScriptAccess(L"a"); },
               {0, 0, 78, 78}, {0, 0, 79, 79}),
      Property("MovieData", [](C& c) { c.MovieData(); }, [](C& c) { c.SetMovieData(L"d"); }, {0, 0, 80, 80},
               {0, 0, 81, 81}),
      Method("SetZoomRect", [](C& c) { c.SetZoomRect(1, 2, 3, 4); }, All(25)),
      Method("Zoom", [](C& c) { c.Zoom(2); }, All(26)),
      Method("Pan", [](C& c) { c.Pan(1, 2, 0); }, All(27)),
      Method("Play", [](C& c) { c.Play(); }, All(28)),
      Method("Stop", [](C& c) { c.Stop(); }, All(29)),
      Method("Back", [](C& c) { c.Back(); }, All(30)),
      Method("Forward", [](C& c) { c.Forward(); }, All(31)),
      Method("Rewind", [](C& c) { c.Rewind(); }, All(32)),
      Method("StopPlay", [](C& c) { c.StopPlay(); }, All(33)),
      Method("GotoFrame", [](C& c) { c.GotoFrame(3); }, All(34)),
      Method("CurrentFrame", [](C& c) { EXPECT_EQ(c.CurrentFrame(), 35); }, All(35)),
      Method("IsPlaying", [](C& c) { c.IsPlaying(); }, All(36)),
      Method("PercentLoaded", [](C& c) { EXPECT_EQ(c.PercentLoaded(), 37); }, All(37)),
      Method("FrameLoaded", [](C& c) { c.FrameLoaded(1); }, All(38)),
      Method("LoadMovie", [](C& c) { c.LoadMovie(0, L"u"); }, All(58)),
      Method("TGotoFrame", [](C& c) { c.TGotoFrame(L"/", 1); }, All(59)),
      Method("TGotoLabel", [](C& c) { c.TGotoLabel(L"/", L"l"); }, All(60)),
      Method("TCurrentFrame", [](C& c) { c.TCurrentFrame(L"/"); }, All(61)),
      Method("TCurrentLabel", [](C& c) { EXPECT_EQ(c.TCurrentLabel(L"/"), L"slot 62"); }, All(62)),
      Method("TPlay", [](C& c) { c.TPlay(L"/"); }, All(63)),
      Method("TStopPlay", [](C& c) { c.TStopPlay(L"/"); }, All(64)),
      Method("SetVariable", [](C& c) { c.SetVariable(L"n", L"v"); }, All(65)),
      Method("GetVariable", [](C& c) { c.GetVariable(L"n"); }, All(66)),
      Method("TSetProperty", [](C& c) { c.TSetProperty(L"/", 1, L"v"); }, All(67)),
      Method("TGetProperty", [](C& c) { c.TGetProperty(L"/", 1); }, All(68)),
      Method("TCallFrame", [](C& c) { c.TCallFrame(L"/", 1); }, All(69)),
      Method("TCallLabel", [](C& c) { c.TCallLabel(L"/", L"l"); }, All(70)),
      Method("TSetPropertyNum", [](C& c) { c.TSetPropertyNum(L"/", 1, 2.0); }, All(71)),
      Method("TGetPropertyNum", [](C& c) { EXPECT_EQ(c.TGetPropertyNum(L"/", 1), 72.5); }, All(72)),
      Method("TGetPropertyAsNumber", [](C& c) { c.TGetPropertyAsNumber(L"/", 1); }, {0, 0, 73, 73}),
      Method("CallFunction", [](C& c) { c.CallFunction(L"<invoke/>"); }, {0, 0, 0, 93}),
      Method("SetReturnValue", [](C& c) { c.SetReturnValue(L"r"); }, {0, 0, 0, 94}),
      Method("GetReadyState", [](C& c) { c.GetReadyState(); }, All(7)),
      Method("GetTotalFrames", [](C& c) { c.GetTotalFrames(); }, All(8)),
  };
  return rows;
}

std::vector<int> Called(int slot) { return slot ? std::vector<int>{slot} : std::vector<int>{}; }

}  // namespace

TEST_F(PlayerControlTest, EveryPropertyAndMethodCallsTheSlotOfThePlayersVersionOrNone) {
  for (int major : {5, 6, 7, 10}) {
    TPlayerControl& control = Control(major);
    TTestPlayer& player = Player();
    for (const TGateRow& row : GateRows()) {
      SCOPED_TRACE(std::string(row.name) + " on version " + std::to_string(major));
      const int index = major == 5 ? 0 : major == 6 ? 1 : major == 7 ? 2 : 3;
      const int get[] = {row.slotFor5, row.slotFor6, row.slotFor7, row.slotFor10};
      const int set[] = {row.setSlotFor5, row.setSlotFor6, row.setSlotFor7, row.setSlotFor10};
      player.ClearSlots();
      row.read(control);
      EXPECT_EQ(player.Slots, Called(get[index]));
      if (row.write) {
        player.ClearSlots();
        row.write(control);
        EXPECT_EQ(player.Slots, Called(set[index]));
      }
    }
  }
}

TEST_F(PlayerControlTest, MajorVersionIsCappedAtEightAndMinusOneWithoutPlayer) {
  EXPECT_EQ(Control(10).PlayerMajorVersion(), 8);
  EXPECT_EQ(Control(5).PlayerMajorVersion(), 5);
  EXPECT_EQ(ControlWithoutPlayer().PlayerMajorVersion(), -1);
}

TEST_F(PlayerControlTest, PropertiesKeepWhatWasWrittenWhereThePlayerIsNotAsked) {
  TPlayerControl& control = Control(6);
  control.SetSWRemote(L"remote");
  control.SetStacking(L"stack");
  control.SetMovieData(L"data");
  EXPECT_EQ(control.SWRemote(), L"remote");
  EXPECT_EQ(control.Stacking(), L"stack");
  EXPECT_EQ(control.MovieData(), L"data");
  EXPECT_TRUE(Player().Slots.empty());
  // Where the player is asked, its answer wins and the cache stays as written.
  control.SetMovie(L"written");
  EXPECT_EQ(Player().LastText, L"written");
  EXPECT_EQ(control.Movie(), L"slot 21");
}

TEST_F(PlayerControlTest, FailedReadsGiveEmptyTextButTheCachedNumber) {
  TPlayerControl& control = Control(8);
  control.SetMovie(L"kept");
  control.SetQuality(3);
  control.SetLoop(true);
  Player().FailingSlots = {21, 11, 19};
  EXPECT_EQ(control.Movie(), L"");
  EXPECT_EQ(control.Quality(), 3);
  EXPECT_TRUE(control.Loop());
}

TEST_F(PlayerControlTest, WithoutPlayerMethodsGiveTheirDefaultsAndPropertiesTheirCache) {
  TPlayerControl& control = ControlWithoutPlayer();
  EXPECT_TRUE(control.IsPlaying());
  EXPECT_TRUE(control.FrameLoaded(4));
  EXPECT_EQ(control.CurrentFrame(), 0);
  EXPECT_EQ(control.PercentLoaded(), 0);
  EXPECT_EQ(control.TGetPropertyNum(L"/", 1), 0.0);
  EXPECT_EQ(control.GetVariable(L"x"), L"");
  EXPECT_EQ(control.CallFunction(L"x"), L"");
  EXPECT_EQ(control.GetReadyState(), 0);
  EXPECT_EQ(control.GetTotalFrames(), 0);
  EXPECT_EQ(control.Movie(), L"");
  EXPECT_FALSE(control.AllowFullscreen());
  control.SetMovie(L"m");
  control.SetFrameNum(9);
  control.SetAllowFullscreen(true);
  EXPECT_EQ(control.Movie(), L"m");
  EXPECT_EQ(control.FrameNum(), 9);
  EXPECT_TRUE(control.AllowFullscreen());
  control.Play();  // nothing to call, nothing raised
}

TEST_F(PlayerControlTest, AllowFullscreenFollowsTheModuleVersionNotThePlayers) {
  {
    TPlayerControl& control = Control(5, 0x09001C00);  // 9.0.28.0: asked, whatever the player reports
    EXPECT_TRUE(control.AllowFullscreen());
    EXPECT_EQ(Player().Slots, std::vector<int>{98});
    Player().FullscreenAnswer = L"True";
    EXPECT_FALSE(control.AllowFullscreen());
    control.SetAllowFullscreen(true);
    EXPECT_EQ(Player().LastText, L"true");
    control.SetAllowFullscreen(false);
    EXPECT_EQ(Player().LastText, L"false");
    Player().FailingSlots = {98};
    EXPECT_FALSE(control.AllowFullscreen());  // the cached False
  }
  {
    TPlayerControl& control = Control(10, 0x09001BFF);  // older module: cache only
    control.SetAllowFullscreen(true);
    EXPECT_TRUE(control.AllowFullscreen());
    EXPECT_TRUE(Player().Slots.empty());
  }
}

TEST_F(PlayerControlTest, MethodsRaiseThePlayersFailureButLoadMovieNever) {
  TPlayerControl& control = Control(10);
  Player().FailingSlots = {28, 58};
  try {
    control.Play();
    FAIL() << "no exception";
  } catch (const EOleSysError& error) {
    EXPECT_EQ(error.ErrorCode(), E_FAIL);
  }
  EXPECT_NO_THROW(control.LoadMovie(0, L" "));
  EXPECT_EQ(Player().LastText, L" ");
}

TEST_F(PlayerControlTest, FSCommandArrivesCommandFirst) {
  TPlayerControl& control = Control(10);
  std::vector<std::wstring> got;
  control.OnFSCommand = [&](ui::TObject* sender, const std::wstring& command, const std::wstring& args) {
    EXPECT_EQ(sender, &control);
    got = {command, args};
  };
  TArguments args({L"true", L"fullscreen"});  // COM order: the last argument first
  ASSERT_NE(Player().EventSink(), nullptr);
  EXPECT_EQ(Player().EventSink()->Invoke(kDispidFSCommand, IID_NULL, 0, DISPATCH_METHOD, &args.params, nullptr,
                                         nullptr, nullptr),
            S_OK);
  EXPECT_EQ(got, (std::vector<std::wstring>{L"fullscreen", L"true"}));
}

TEST_F(PlayerControlTest, ScriptProbeIsAnsweredAndNotRaised) {
  const std::wstring probe = L"<invoke name=\"x\">{8533542B-B75B-417a-A972-3AD945F14852}</invoke>";
  const std::wstring answer = L"<string>{242DF42C-A9ED-4209-B1E2-FD3633BAEEE7}</string>";
  struct TCase {
    int major;
    bool handler;
    std::wstring request;
    bool answered, raised;
  } cases[] = {
      {10, true, probe, true, false},
      {10, false, probe, false, false},  // no handler: not even answered
      {7, true, probe, false, false},    // too old for SetReturnValue
      {10, true, L"{8533542b-b75b-417a-a972-3ad945f14852}", false, true},
      {10, true, L"<invoke name=\"bookReady\"/>", false, true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.major);
    TPlayerControl& control = Control(c.major);
    bool raised = false;
    if (c.handler) {
      control.OnMovieCall = [&](ui::TObject*, const std::wstring& request) {
        raised = true;
        EXPECT_EQ(request, c.request);
      };
    }
    TArguments args({c.request});
    EXPECT_EQ(Invoke(control, kDispidMovieCall, &args.params), S_OK);
    EXPECT_EQ(raised, c.raised);
    EXPECT_EQ(Player().Slots, c.answered ? std::vector<int>{94} : std::vector<int>{});
    if (c.answered) {
      EXPECT_EQ(Player().LastText, answer);
    }
  }
}

TEST_F(PlayerControlTest, ReadyStateAndProgressTakeTheRaw32BitArgument) {
  TPlayerControl& control = Control(10);
  std::vector<int> states, progress;
  control.OnReadyStateChange = [&](ui::TObject*, int state) { states.push_back(state); };
  control.OnProgress = [&](ui::TObject*, int percent) { progress.push_back(percent); };
  VARIANT state;
  state.vt = VT_I4;
  state.lVal = 4;
  TArguments stateArgs(state);
  EXPECT_EQ(Invoke(control, kDispidReadyStateChange, &stateArgs.params), S_OK);
  VARIANT percent;
  percent.vt = VT_UI4;  // not an I4: its bits still count
  percent.ulVal = 55;
  TArguments percentArgs(percent);
  EXPECT_EQ(Invoke(control, kDispidProgress, &percentArgs.params), S_OK);
  DISPPARAMS none{};
  EXPECT_EQ(Invoke(control, kDispidProgress, &none), S_OK);  // a missing argument reads as 0
  EXPECT_EQ(states, std::vector<int>{4});
  EXPECT_EQ(progress, (std::vector<int>{55, 0}));
}

TEST_F(PlayerControlTest, HandlerExceptionsReachTheErrorReportNotThePlayer) {
  TPlayerControl& control = Control(10);
  control.OnFSCommand = [](ui::TObject*, const std::wstring&, const std::wstring&) {
    throw Exception("handler failed");
  };
  TArguments args({L"true", L"fullscreen"});
  EXPECT_EQ(Invoke(control, kDispidFSCommand, &args.params), S_OK);
  EXPECT_EQ(errors_, std::vector<std::string>{"handler failed"});
}

TEST_F(PlayerControlTest, AmbientPropertiesAnsweredUnknownOnesRefused) {
  TPlayerControl& control = ControlWithoutPlayer();  // the answers need no player
  control.Name = "PlayerControl1";
  control.SetColor(0x00123456);
  DISPPARAMS none{};
  auto ask = [&](DISPID dispid, VARIANT& result) {
    VariantInit(&result);
    return Invoke(control, dispid, &none, DISPATCH_PROPERTYGET, &result);
  };
  VARIANT v;
  ASSERT_EQ(ask(DISPID_AMBIENT_BACKCOLOR, v), S_OK);
  EXPECT_EQ(v.vt, VT_I4);
  EXPECT_EQ(v.lVal, 0x00123456);
  ASSERT_EQ(ask(DISPID_AMBIENT_DISPLAYNAME, v), S_OK);
  EXPECT_EQ(std::wstring(v.bstrVal), L"PlayerControl1");
  VariantClear(&v);
  ASSERT_EQ(ask(DISPID_AMBIENT_FONT, v), S_OK);
  ASSERT_EQ(v.vt, VT_DISPATCH);
  TComRef<IFont> font;
  ASSERT_EQ(font.QueryFrom(v.pdispVal, IID_IFont), S_OK);
  // The parent's 11-pixel font, in points (the face may be a substitute).
  CY size{};
  ASSERT_EQ(font->get_Size(&size), S_OK);
  EXPECT_EQ(size.int64, MulDiv(11 * 72, 10000, ui::ScreenPixelsPerInch()));
  font.Reset();
  VariantClear(&v);
  ASSERT_EQ(ask(DISPID_AMBIENT_USERMODE, v), S_OK);
  EXPECT_EQ(v.boolVal, VARIANT_TRUE);
  ASSERT_EQ(ask(DISPID_AMBIENT_UIDEAD, v), S_OK);
  EXPECT_EQ(v.boolVal, VARIANT_FALSE);
  ASSERT_EQ(ask(DISPID_AMBIENT_LOCALEID, v), S_OK);
  EXPECT_EQ(static_cast<LCID>(v.lVal), GetUserDefaultLCID());
  EXPECT_EQ(ask(-799, v), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(Invoke(control, DISPID_AMBIENT_USERMODE, &none, DISPATCH_PROPERTYGET, nullptr), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(Invoke(control, DISPID_AMBIENT_USERMODE, &none, DISPATCH_METHOD, &v), DISP_E_MEMBERNOTFOUND);
}

TEST_F(PlayerControlTest, ResourceCallsAnswerFalseWithoutHandlerAndPassThroughWithOne) {
  TPlayerControl& control = ControlWithoutPlayer();
  IPlayerControlBase* base = nullptr;
  ASSERT_EQ(control.ClientSite()->QueryInterface(IID_IPlayerControlBase, reinterpret_cast<void**>(&base)), S_OK);
  TMemoryStream stream;
  bool handled = false;
  TStream* supplied = nullptr;
  EXPECT_EQ(base->CallLoadExternalResource(L"files/a", &stream), S_FALSE);
  EXPECT_EQ(base->CallLoadExternalResourceEx(L"files/a", &stream, &handled), S_FALSE);
  EXPECT_EQ(base->CallLoadExternalResourceAsync(L"files\\a", &supplied), S_FALSE);
  EXPECT_EQ(base->CallUnloadExternalResourceAsync(&stream), S_FALSE);

  TMemoryStream served;
  std::vector<std::wstring> seen;
  control.OnLoadExternalResource = [&](ui::TObject*, const std::wstring& url, TStream* s) {
    seen.push_back(url);
    s->WriteBuffer("abc", 3);
  };
  control.OnLoadExternalResourceEx = [&](ui::TObject*, const std::wstring& url, TStream*, bool& taken) {
    seen.push_back(url);
    taken = true;
  };
  control.OnLoadExternalResourceAsync = [&](ui::TObject*, const std::wstring& path, TStream*& s) {
    seen.push_back(path);
    s = &served;
  };
  control.OnUnloadExternalResourceAsync = [&](ui::TObject*, TStream* s) { EXPECT_EQ(s, &served); };
  EXPECT_EQ(base->CallLoadExternalResource(L"files/a", &stream), S_OK);
  EXPECT_EQ(stream.Size(), 3);
  EXPECT_EQ(base->CallLoadExternalResourceEx(L"files/b", &stream, &handled), S_OK);
  EXPECT_TRUE(handled);
  EXPECT_EQ(base->CallLoadExternalResourceAsync(L"files\\c", &supplied), S_OK);
  EXPECT_EQ(supplied, &served);
  EXPECT_EQ(base->CallUnloadExternalResourceAsync(&served), S_OK);
  EXPECT_EQ(seen, (std::vector<std::wstring>{L"files/a", L"files/b", L"files\\c"}));
  base->Release();
}

TEST_F(PlayerControlTest, ManagerCallsSetTheMovieAndReadBase) {
  TPlayerControl& control = Control(10);
  TComRef<IPlayerControlBase> base;
  ASSERT_EQ(base.QueryFrom(control.ClientSite()->Identity(), IID_IPlayerControlBase), S_OK);
  EXPECT_EQ(base->PutMovie(L"Z:\\FromMemory\\m.swf"), S_OK);
  EXPECT_EQ(Player().LastText, L"Z:\\FromMemory\\m.swf");
  EXPECT_EQ(base->LoadMovie(2, L"file://x"), S_OK);
  EXPECT_EQ(Player().LastText, L"file://x");
  BSTR text = nullptr;
  EXPECT_EQ(base->GetBase(&text), S_OK);
  EXPECT_EQ(std::wstring(text), L"slot 46");
  SysFreeString(text);
  EXPECT_EQ(Player().Slots, (std::vector<int>{22, 58, 46}));
}

TEST_F(PlayerControlTest, MoviesFromStreamsGetFreshAddressesThatTheControlKeepsUntilItGoes) {
  TPlayerControl* control = &Control(10);
  TMemoryStream movie;
  const std::string bytes = "FWS movie";
  movie.WriteBuffer(bytes.data(), bytes.size());  // left at its end: read whole all the same
  control->SetMovieFromStream(movie);
  const std::wstring first = Player().LastText;
  control->SetMovieFromStream(movie);
  const std::wstring second = Player().LastText;
  const std::optional<TMemoryPath> filed = ParseMemoryPath(second);
  ASSERT_TRUE(ParseMemoryPath(first) && filed);
  EXPECT_NE(first, second);
  EXPECT_EQ(std::count(Player().Slots.begin(), Player().Slots.end(), 22), 4);  // reset address, then the movie's
  control->LoadLayerFromStream(3, movie);
  EXPECT_EQ(Player().Slots.back(), 58);
  EXPECT_TRUE(ProcessContentManager().FindControl(filed->Id));
  delete control;
  EXPECT_FALSE(ProcessContentManager().FindControl(filed->Id));
  // Without a player object the bytes are still filed and nothing raises.
  ControlWithoutPlayer().SetMovieFromStream(movie);
  EXPECT_TRUE(errors_.empty());
}

TEST_F(PlayerControlTest, DestructionLeavesTheContentManagerBeforeEventsAndObjectGo) {
  TPlayerControl* control = &Control(10);
  control->Handle();  // in place, with its window
  TTestPlayer& player = Player();
  SetUnregisterControl([&player, control](IPlayerControlBase* leaving) {
    EXPECT_EQ(leaving, static_cast<IPlayerControlBase*>(control->ClientSite()));
    player.Log.push_back("UnregisterControl");
  });
  player.Log.clear();
  delete control;
  EXPECT_EQ(player.Log, (std::vector<std::string>{"UnregisterControl", "Unadvise", "Close", "SetClientSite(null)",
                                                   "Release to 1"}));
  EXPECT_EQ(player.EventSink(), nullptr);
  EXPECT_EQ(player.References(), 1);  // only the test's own
}

TEST_F(PlayerControlTest, ComReferencesToTheSiteNeverFreeTheControl) {
  TPlayerControl& control = ControlWithoutPlayer();
  IUnknown* unknown = control.ClientSite()->Identity();
  const ULONG before = unknown->AddRef();
  EXPECT_EQ(unknown->Release(), before - 1);
  control.SetMovie(L"alive");
  EXPECT_EQ(control.Movie(), L"alive");
  void* object = nullptr;
  EXPECT_EQ(unknown->QueryInterface(IID_IStream, &object), E_NOINTERFACE);
}

// A player that keeps its site after the control went must get an answer,
// not a call into freed memory: every call that needs the control fails.
TEST_F(PlayerControlTest, TheSiteOutlivesTheControlAndAnswersDisconnected) {
  TPlayerControl* control = &Control(10);
  control->Handle();
  bool raised = false;
  control->OnFSCommand = [&](ui::TObject*, const std::wstring&, const std::wstring&) { raised = true; };
  TComRef<IOleClientSite> kept;
  ASSERT_EQ(Player().GetClientSite(kept.Out()), S_OK);
  ASSERT_TRUE(kept);
  delete control;

  const auto as = [&](REFIID id) {
    TComRef<IUnknown> face;
    EXPECT_EQ(face.QueryFrom(kept.Get(), id), S_OK);
    return face;
  };
  const struct {
    const char* Call;
    std::function<HRESULT()> Make;
  } calls[] = {
      {"ShowObject", [&] { return kept->ShowObject(); }},
      {"RequestNewObjectLayout", [&] { return kept->RequestNewObjectLayout(); }},
      {"OnInPlaceActivate",
       [&] { return static_cast<IOleInPlaceSite*>(as(IID_IOleInPlaceSite).Get())->OnInPlaceActivate(); }},
      {"GetWindow",
       [&] {
         HWND window = reinterpret_cast<HWND>(1);
         const HRESULT result = static_cast<IOleInPlaceSite*>(as(IID_IOleInPlaceSite).Get())->GetWindow(&window);
         EXPECT_EQ(window, nullptr);
         return result;
       }},
      {"GetWindowContext",
       [&] {
         IOleInPlaceFrame* frame = reinterpret_cast<IOleInPlaceFrame*>(1);
         IOleInPlaceUIWindow* document = nullptr;
         RECT position{}, clip{};
         OLEINPLACEFRAMEINFO info{sizeof info};
         const HRESULT result = static_cast<IOleInPlaceSite*>(as(IID_IOleInPlaceSite).Get())
                                    ->GetWindowContext(&frame, &document, &position, &clip, &info);
         EXPECT_EQ(frame, nullptr);
         return result;
       }},
      {"an FSCommand event",
       [&] {
         VARIANT arguments[2];
         VariantInit(&arguments[0]);
         VariantInit(&arguments[1]);
         DISPPARAMS parameters{arguments, nullptr, 2, 0};
         return static_cast<IDispatch*>(as(IID_IDispatch).Get())
             ->Invoke(kDispidFSCommand, IID_NULL, 0, DISPATCH_METHOD, &parameters, nullptr, nullptr, nullptr);
       }},
      {"PutMovie", [&] { return static_cast<IPlayerControlBase*>(as(IID_IPlayerControlBase).Get())->PutMovie(L"x"); }},
  };
  for (const auto& call : calls) EXPECT_EQ(call.Make(), RPC_E_DISCONNECTED) << call.Call;
  EXPECT_FALSE(raised);
  EXPECT_EQ(kept.Detach()->Release(), 0u) << "the player's reference was the last one";
}

TEST_F(PlayerControlTest, TheControlsWindowIsThePlayersAndSizesGoThroughActivation) {
  TPlayerControl& control = Control(10);
  control.SetBounds(10, 20, 200, 100);
  HWND window = control.Handle();
  TTestPlayer& player = Player();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window, player.Window());
  EXPECT_EQ(GetParent(window), form_->Handle());
  player.Log.clear();
  control.SetBounds(10, 20, 300, 150);
  RECT r;
  GetWindowRect(window, &r);
  MapWindowPoints(nullptr, form_->Handle(), reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.right - r.left, 300);
  EXPECT_EQ(r.bottom - r.top, 150);
  EXPECT_EQ(player.Count(WM_SIZE), 0);  // the player is re-activated instead
  EXPECT_NE(std::find(player.Log.begin(), player.Log.end(), "DoVerb(-5)"), player.Log.end());

  // A size the player refuses is not taken.
  player.RefuseExtent = true;
  control.SetBounds(10, 20, 50, 60);
  EXPECT_EQ(control.Width(), 300);
  EXPECT_EQ(control.Height(), 150);
  // A control of 0 x 0 is sized without asking the player.
  player.RefuseExtent = false;
  control.SetBounds(10, 20, 0, 0);
  player.RefuseExtent = true;
  control.SetBounds(10, 20, 50, 60);
  EXPECT_EQ(control.Width(), 50);
  EXPECT_EQ(control.Height(), 60);
}

TEST_F(PlayerControlTest, AParentChangeReactivatesTheSameObjectInPlace) {
  TPlayerControl& control = Control(10);
  HWND first = control.Handle();
  TTestPlayer& player = Player();
  auto* panel = new ui::TWinControl(form_.get());
  panel->SetParent(form_.get());
  panel->SetBounds(0, 0, 300, 200);
  player.Log.clear();
  control.SetParent(nullptr);
  EXPECT_FALSE(control.HandleAllocated());
  EXPECT_FALSE(IsWindow(first));
  control.SetParent(panel);
  HWND second = control.Handle();
  EXPECT_EQ(second, player.Window());
  EXPECT_EQ(GetParent(second), panel->Handle());
  // The object keeps its site and is only activated again; then it re-reads
  // its ambient properties for the new parent.
  EXPECT_EQ(player.Log, (std::vector<std::string>{"Close", "DoVerb(-5)", "OnAmbientPropertyChange(-1)"}));
  EXPECT_EQ(player.Count(WM_SIZE), 0);
}

TEST_F(PlayerControlTest, RightButtonReleaseBecomesContextMenuOnTheControl) {
  TPlayerControl& control = Control(10);
  control.SetBounds(0, 0, 200, 100);
  HWND window = control.Handle();
  TTestPlayer& player = Player();
  SendMessageA(window, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
  SendMessageA(window, WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(player.Count(WM_RBUTTONUP), 0);
  EXPECT_EQ(player.Count(WM_RBUTTONDOWN), 0);  // StandartMenu is off
  EXPECT_EQ(player.Count(WM_CONTEXTMENU), 1);  // no popup menu: the player's own
  // The menu key is dropped with neither a popup menu nor StandartMenu.
  SendMessageA(window, WM_KEYDOWN, VK_APPS, 0);
  EXPECT_EQ(player.Count(WM_KEYDOWN), 0);
  EXPECT_EQ(player.Count(WM_CONTEXTMENU), 1);
}

TEST_F(PlayerControlTest, MouseEventsAreRaisedAfterThePlayerSawTheMessage) {
  TPlayerControl& control = Control(10);
  control.SetBounds(0, 0, 200, 100);
  HWND window = control.Handle();
  std::vector<std::string> events;
  control.OnMouseDown = [&](ui::TObject*, ui::TMouseButton button, ui::TShiftState, int x, int y) {
    events.push_back("down " + std::to_string(static_cast<int>(button)) + " " + std::to_string(x) + "," +
                     std::to_string(y) + " seen " + std::to_string(Player().Count(WM_LBUTTONDOWN)));
  };
  control.OnClick = [&](ui::TObject*) { events.push_back("click"); };
  control.OnMouseUp = [&](ui::TObject*, ui::TMouseButton, ui::TShiftState, int, int) { events.push_back("up"); };
  SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(7, 8));
  SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(7, 8));
  EXPECT_EQ(events, (std::vector<std::string>{"down 0 7,8 seen 1", "click", "up"}));
}

TEST_F(PlayerControlTest, WithoutPlayerTheControlIsAPlainWindowPaintedInTheWindowColour) {
  TPlayerControl& control = ControlWithoutPlayer();
  EXPECT_EQ(control.Width(), 100);
  EXPECT_EQ(control.Height(), 100);
  HWND window = control.Handle();
  ASSERT_NE(window, nullptr);
  RECT client;
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, 100);
  EXPECT_EQ(client.bottom, 100);

  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 100, 100);
  HGDIOBJ old = SelectObject(memory, bitmap);
  RECT all{0, 0, 100, 100};
  FillRect(memory, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  SendMessageA(window, WM_PAINT, reinterpret_cast<WPARAM>(memory), 0);
  EXPECT_EQ(GetPixel(memory, 50, 50), GetPixel(memory, 0, 0));
  // Compare with the system colour as this display stores it.
  SetPixel(memory, 99, 99, GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(GetPixel(memory, 50, 50), GetPixel(memory, 99, 99));
  EXPECT_NE(GetPixel(memory, 50, 50), RGB(0, 0, 0));
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
}

TEST_F(PlayerControlTest, UIActivationIsRecordedOnTheFormAndMovesBetweenControls) {
  TPlayerControl& first = Control(10);
  first.Handle();
  TTestPlayer& firstPlayer = Player();
  TPlayerControl& second = Control(10);
  second.Handle();
  firstPlayer.Log.clear();
  first.Perform(ui::CM_UIACTIVATE, 0, 0);
  EXPECT_EQ(form_->ActiveOleControl(), &first);
  first.Perform(ui::CM_UIACTIVATE, 0, 0);  // already the active one: not asked again
  EXPECT_EQ(std::count(firstPlayer.Log.begin(), firstPlayer.Log.end(), "DoVerb(-4)"), 1);
  second.Perform(ui::CM_UIACTIVATE, 0, 0);
  EXPECT_EQ(form_->ActiveOleControl(), &second);
  EXPECT_NE(std::find(firstPlayer.Log.begin(), firstPlayer.Log.end(), "UIDeactivate"), firstPlayer.Log.end());
  // The player's own deactivation clears the record.
  second.ClientSite()->OnUIDeactivate(FALSE);
  EXPECT_EQ(form_->ActiveOleControl(), nullptr);
}

TEST_F(PlayerControlTest, KeysReachThePlayersAcceleratorsBeforeDispatch) {
  TPlayerControl& control = Control(10);
  HWND window = control.Handle();
  Player().AcceleratorKeys = {'K'};
  MSG taken{window, WM_KEYDOWN, 'K', 0, 0, {}};
  MSG passed{window, WM_KEYDOWN, 'L', 0, 0, {}};
  EXPECT_TRUE(ui::Application().PreTranslate(taken));
  EXPECT_FALSE(ui::Application().PreTranslate(passed));
  EXPECT_EQ(std::count(Player().Log.begin(), Player().Log.end(), "TranslateAccelerator"), 1);
}

TEST_F(PlayerControlTest, DialogKeysThatAreThePlayersMnemonicsGoToIt) {
  TPlayerControl& control = Control(10);
  form_->Show();
  control.Handle();
  ACCEL mnemonic{FVIRTKEY, 'M', 1};
  Player().Mnemonics = CreateAcceleratorTable(&mnemonic, 1);
  Player().MnemonicCount = 1;
  Player().Log.clear();
  EXPECT_EQ(control.Perform(ui::CM_DIALOGKEY, 'M', 0), 1);
  EXPECT_EQ(control.Perform(ui::CM_DIALOGKEY, 'N', 0), 0);
  EXPECT_EQ(Player().Log, std::vector<std::string>{"OnMnemonic(77)"});
  DestroyAcceleratorTable(Player().Mnemonics);
  Player().Mnemonics = nullptr;
  Player().MnemonicCount = 0;
  form_->Hide();
}

TEST_F(PlayerControlTest, TheFramesMenusMergeTheContainersGroupsIntoTheSharedMenu) {
  auto* menu = new ui::TMainMenu(form_.get());
  const std::pair<const char*, int> tops[] = {{"&File", 0}, {"&Edit", 1}, {"&Window", 4}};
  for (auto [caption, group] : tops) {
    auto* top = new ui::TMenuItem(form_.get());
    top->SetCaption(caption);
    top->SetGroupIndex(group);
    auto* item = new ui::TMenuItem(form_.get());
    item->SetCaption("item");
    top->Add(item);
    menu->Items()->Add(top);
  }
  form_->SetMenu(menu);
  form_->Handle();
  TPlayerControl& control = ControlWithoutPlayer();
  HMENU shared = CreateMenu();
  OLEMENUGROUPWIDTHS widths{};
  EXPECT_EQ(control.ClientSite()->InsertMenus(shared, &widths), S_OK);
  ASSERT_EQ(GetMenuItemCount(shared), 2);
  char caption[32] = {};
  GetMenuStringA(shared, 1, caption, sizeof caption, MF_BYPOSITION);
  EXPECT_STREQ(caption, "&Window");
  EXPECT_EQ(widths.width[0], 1);
  EXPECT_EQ(widths.width[2], 0);
  EXPECT_EQ(widths.width[4], 1);
  HOLEMENU descriptor = OleCreateMenuDescriptor(shared, &widths);
  EXPECT_EQ(control.ClientSite()->SetMenu(shared, descriptor, control.Handle()), S_OK);
  EXPECT_EQ(GetMenu(form_->Handle()), shared);
  EXPECT_EQ(control.ClientSite()->SetMenu(nullptr, nullptr, nullptr), S_OK);
  EXPECT_EQ(GetMenu(form_->Handle()), menu->Handle());
  EXPECT_EQ(control.ClientSite()->RemoveMenus(shared), S_OK);
  EXPECT_EQ(GetMenuItemCount(shared), 0);
  EXPECT_TRUE(IsMenu(GetSubMenu(menu->Handle(), 2)));  // removed from the shared menu, not destroyed
  OleDestroyMenuDescriptor(descriptor);
  DestroyMenu(shared);
}

TEST_F(PlayerControlTest, TransformCoordsConvertsBothWays) {
  TPlayerControl& control = ControlWithoutPlayer();
  const int ppi = ui::ScreenPixelsPerInch();
  POINTL himetric{2540, 5080};
  POINTF container{};
  EXPECT_EQ(control.ClientSite()->TransformCoords(&himetric, &container, XFORMCOORDS_HIMETRICTOCONTAINER), S_OK);
  EXPECT_EQ(container.x, static_cast<float>(ppi));
  EXPECT_EQ(container.y, static_cast<float>(2 * ppi));
  container = POINTF{static_cast<float>(ppi) / 2, 1.0f};
  EXPECT_EQ(control.ClientSite()->TransformCoords(&himetric, &container, XFORMCOORDS_CONTAINERTOHIMETRIC), S_OK);
  EXPECT_EQ(himetric.x, 1270);
  EXPECT_EQ(himetric.y, std::lround(2540.0 / ppi));
}

}  // namespace vell::player::test
