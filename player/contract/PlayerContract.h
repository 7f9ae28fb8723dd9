// The contract between the reader's host control and a movie player object:
// the class and interface ids, the player interface in slot order, the event
// dispinterface with its DISPIDs. Both sides include this file: the host control and the bundled page player.
#pragma once
#include <windows.h>
#include <ole2.h>
#include <oaidl.h>

#include <cstdint>

namespace vell::player {

// The player's class, asked for through the module's DllGetClassObject.
inline constexpr CLSID CLSID_MoviePlayer = {
    0xD27CDB6E, 0xAE6D, 0x11CF, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
// Where the system registers an installed player's class, as text.
inline constexpr char kMoviePlayerClassKey[] = "CLSID\\{D27CDB6E-AE6D-11cf-96B8-444553540000}";
// The player interface (IMoviePlayer_9_0_28_0 below).
inline constexpr IID IID_IMoviePlayer = {
    0xD27CDB6C, 0xAE6D, 0x11CF, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
// The player's event dispinterface, reached through its connection point.
inline constexpr IID DIID_IMoviePlayerEvents = {
    0xD27CDB6D, 0xAE6D, 0x11CF, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

// Event DISPIDs. Arguments arrive in COM order: index 0 is the last one.
inline constexpr DISPID kDispidReadyStateChange = -609;  // [0] new state, VT_I4
inline constexpr DISPID kDispidProgress = 1958;          // [0] percent, VT_I4
inline constexpr DISPID kDispidFSCommand = 150;          // [1] command, [0] arguments, VT_BSTR
inline constexpr DISPID kDispidMovieCall = 197;          // [0] request, VT_BSTR

// Ready states the player reports.
inline constexpr long kReadyStateLoading = 0;
inline constexpr long kReadyStateInteractive = 3;
inline constexpr long kReadyStateComplete = 4;

// Slot 39 answers the player's version with the major number in bits 16-23.
constexpr int PlayerMajorOf(long playerVersion) {
  return static_cast<int>((static_cast<std::uint32_t>(playerVersion) >> 16) & 0xFFu);
}

// The player interface's own methods in slot order, as the 9.0.28.0 player lays
// them out (a slot counts IUnknown's three and IDispatch's four methods, so the
// first own method is slot 7). One line per slot: X(slot, name, (parameter types)).
// Strings are BSTRs, Booleans VARIANT_BOOLs (0 / -1); a target names a movie
// clip, a property is an integer property index. Slots this layout leaves
// unused carry an Unused name and no parameters; a player answers them with
// E_NOTIMPL.
//
// Older players lay out the tail differently; the host reaches those slots
// through the raw method table with the signatures of MoviePlayerLegacySlots.
#define VELL_MOVIE_PLAYER_SLOTS(X)                                       \
  X(7, GetReadyState, (long* /*state*/))                                 \
  X(8, GetTotalFrames, (long* /*frames*/))                               \
  X(9, get_Playing, (VARIANT_BOOL*))                                     \
  X(10, put_Playing, (VARIANT_BOOL))                                     \
  X(11, get_Quality, (long*))                                            \
  X(12, put_Quality, (long))                                             \
  X(13, get_ScaleMode, (long*))                                          \
  X(14, put_ScaleMode, (long))                                           \
  X(15, get_AlignMode, (long*))                                          \
  X(16, put_AlignMode, (long))                                           \
  X(17, get_BackgroundColor, (long*))                                    \
  X(18, put_BackgroundColor, (long))                                     \
  X(19, get_Loop, (VARIANT_BOOL*))                                       \
  X(20, put_Loop, (VARIANT_BOOL))                                        \
  X(21, get_Movie, (BSTR*))                                              \
  X(22, put_Movie, (BSTR))                                               \
  X(23, get_FrameNum, (long*))                                           \
  X(24, put_FrameNum, (long))                                            \
  X(25, SetZoomRect, (long /*left*/, long /*top*/, long /*right*/, long /*bottom*/)) \
  X(26, Zoom, (long /*factor*/))                                         \
  X(27, Pan, (long /*x*/, long /*y*/, long /*mode*/))                    \
  X(28, Play, ())                                                        \
  X(29, Stop, ())                                                        \
  X(30, Back, ())                                                        \
  X(31, Forward, ())                                                     \
  X(32, Rewind, ())                                                      \
  X(33, StopPlay, ())                                                    \
  X(34, GotoFrame, (long /*frame*/))                                     \
  X(35, CurrentFrame, (long* /*frame*/))                                 \
  X(36, IsPlaying, (VARIANT_BOOL* /*playing*/))                          \
  X(37, PercentLoaded, (long* /*percent*/))                              \
  X(38, FrameLoaded, (long /*frame*/, VARIANT_BOOL* /*loaded*/))         \
  X(39, PlayerVersion, (long* /*version*/))                              \
  X(40, get_WMode, (BSTR*))                                              \
  X(41, put_WMode, (BSTR))                                               \
  X(42, get_SAlign, (BSTR*))                                             \
  X(43, put_SAlign, (BSTR))                                              \
  X(44, get_Menu, (VARIANT_BOOL*))                                       \
  X(45, put_Menu, (VARIANT_BOOL))                                        \
  X(46, get_Base, (BSTR*))                                               \
  X(47, put_Base, (BSTR))                                                \
  X(48, get_Scale, (BSTR*))                                              \
  X(49, put_Scale, (BSTR))                                               \
  X(50, get_DeviceFont, (VARIANT_BOOL*))                                 \
  X(51, put_DeviceFont, (VARIANT_BOOL))                                  \
  X(52, get_EmbedMovie, (VARIANT_BOOL*))                                 \
  X(53, put_EmbedMovie, (VARIANT_BOOL))                                  \
  X(54, get_BGColor, (BSTR*))                                            \
  X(55, put_BGColor, (BSTR))                                             \
  X(56, get_Quality2, (BSTR*))                                           \
  X(57, put_Quality2, (BSTR))                                            \
  X(58, LoadMovie, (long /*layer*/, BSTR /*url*/))                       \
  X(59, TGotoFrame, (BSTR /*target*/, long /*frame*/))                   \
  X(60, TGotoLabel, (BSTR /*target*/, BSTR /*label*/))                   \
  X(61, TCurrentFrame, (BSTR /*target*/, long* /*frame*/))               \
  X(62, TCurrentLabel, (BSTR /*target*/, BSTR* /*label*/))               \
  X(63, TPlay, (BSTR /*target*/))                                        \
  X(64, TStopPlay, (BSTR /*target*/))                                    \
  X(65, SetVariable, (BSTR /*name*/, BSTR /*value*/))                    \
  X(66, GetVariable, (BSTR /*name*/, BSTR* /*value*/))                   \
  X(67, TSetProperty, (BSTR /*target*/, long /*property*/, BSTR /*value*/)) \
  X(68, TGetProperty, (BSTR /*target*/, long /*property*/, BSTR* /*value*/)) \
  X(69, TCallFrame, (BSTR /*target*/, long /*frame*/))                   \
  X(70, TCallLabel, (BSTR /*target*/, BSTR /*label*/))                   \
  X(71, TSetPropertyNum, (BSTR /*target*/, long /*property*/, double /*value*/)) \
  X(72, TGetPropertyNum, (BSTR /*target*/, long /*property*/, double* /*value*/)) \
  X(73, TGetPropertyAsNumber, (BSTR /*target*/, long /*property*/, double* /*value*/)) \
  X(74, get_SWRemote, (BSTR*))                                           \
  X(75, put_SWRemote, (BSTR))                                            \
  X(76, get_MovieVars, (BSTR*))                                          \
  X(77, put_MovieVars, (BSTR))                                           \
  X(78, get_AllowScriptAccess, (BSTR*))                                  \
  X(79, put_AllowScriptAccess, (BSTR))                                   \
  X(80, get_MovieData, (BSTR*))                                          \
  X(81, put_MovieData, (BSTR))                                           \
  X(82, UnusedInThisLayout82, ())                                        \
  X(83, UnusedInThisLayout83, ())                                        \
  X(84, UnusedInThisLayout84, ())                                        \
  X(85, UnusedInThisLayout85, ())                                        \
  X(86, UnusedInThisLayout86, ())                                        \
  X(87, UnusedInThisLayout87, ())                                        \
  X(88, UnusedInThisLayout88, ())                                        \
  X(89, UnusedInThisLayout89, ())                                        \
  X(90, UnusedInThisLayout90, ())                                        \
  X(91, UnusedInThisLayout91, ())                                        \
  X(92, UnusedInThisLayout92, ())                                        \
  X(93, CallFunction, (BSTR /*request*/, BSTR* /*response*/))            \
  X(94, SetReturnValue, (BSTR /*value*/))                                \
  X(95, UnusedInThisLayout95, ())                                        \
  X(96, UnusedInThisLayout96, ())                                        \
  X(97, UnusedInThisLayout97, ())                                        \
  X(98, get_AllowFullscreen, (BSTR* /*"true" or "false"*/))              \
  X(99, put_AllowFullscreen, (BSTR /*"true" or "false"*/))

#define VELL_MOVIE_PLAYER_DECLARE_SLOT(slot, name, params) \
  virtual HRESULT STDMETHODCALLTYPE name params = 0;

// The player interface {D27CDB6C-AE6D-11CF-96B8-444553540000}: 93 own methods,
// slots 7 to 99.
struct IMoviePlayer_9_0_28_0 : public IDispatch {
  VELL_MOVIE_PLAYER_SLOTS(VELL_MOVIE_PLAYER_DECLARE_SLOT)
};

#undef VELL_MOVIE_PLAYER_DECLARE_SLOT

// The list above numbers every slot from 7 to 99 without a gap.
namespace detail {
#define VELL_MOVIE_PLAYER_SLOT_NUMBER(slot, name, params) slot,
inline constexpr int kMoviePlayerSlotNumbers[] = {VELL_MOVIE_PLAYER_SLOTS(VELL_MOVIE_PLAYER_SLOT_NUMBER)};
#undef VELL_MOVIE_PLAYER_SLOT_NUMBER
constexpr bool SlotsAreConsecutive() {
  for (int i = 0; i < static_cast<int>(sizeof kMoviePlayerSlotNumbers / sizeof *kMoviePlayerSlotNumbers); ++i)
    if (kMoviePlayerSlotNumbers[i] != 7 + i) return false;
  return true;
}
static_assert(sizeof kMoviePlayerSlotNumbers / sizeof *kMoviePlayerSlotNumbers == 93);
static_assert(SlotsAreConsecutive());
}  // namespace detail

inline constexpr int kFirstMoviePlayerSlot = 7;
inline constexpr int kLastMoviePlayerSlot = 99;

// Slots of players before version 7 whose meaning differs from the layout
// above, with the signature each has there.
namespace MoviePlayerLegacySlots {
// Versions 4 and 5.
inline constexpr int kGetSWRemote = 73;  // HRESULT (BSTR*)
inline constexpr int kPutSWRemote = 74;  // HRESULT (BSTR)
// Version 5 only.
inline constexpr int kGetStacking = 75;  // HRESULT (BSTR*)
inline constexpr int kPutStacking = 76;  // HRESULT (BSTR)
}  // namespace MoviePlayerLegacySlots

}  // namespace vell::player
