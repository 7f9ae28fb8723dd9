// Small value types shared by every part of the UI toolkit.
#pragma once

#include <cstdint>
#include <functional>

namespace ui {

class TObject;

// Colours are COLORREF values (0x00BBGGRR); the high bit marks a system colour
// whose index is in the low byte, resolved by ColorToRGB at paint time.
using TColor = std::uint32_t;
constexpr TColor RGBColor(int r, int g, int b) {
  return static_cast<TColor>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr TColor clSystemColor = 0x80000000u;
constexpr TColor clBlack = RGBColor(0, 0, 0);
constexpr TColor clWhite = RGBColor(255, 255, 255);
constexpr TColor clBlue = RGBColor(0, 0, 255);
constexpr TColor clGray = RGBColor(128, 128, 128);
constexpr TColor clBtnFace = clSystemColor | 15;      // COLOR_BTNFACE
constexpr TColor clWindow = clSystemColor | 5;        // COLOR_WINDOW
constexpr TColor clWindowText = clSystemColor | 8;    // COLOR_WINDOWTEXT
constexpr TColor clHighlight = clSystemColor | 13;    // COLOR_HIGHLIGHT
constexpr TColor clNone = 0x1FFFFFFFu;                // nothing is painted

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

enum class TCursor { crDefault, crArrow, crHandPoint, crIBeam, crHourGlass };

enum class TWindowState { wsNormal, wsMinimized, wsMaximized };

enum class TFormBorderStyle { bsSizeable, bsNone, bsSingle, bsDialog };

enum class TPosition { poDesigned, poScreenCenter };

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };

enum class TBiDiMode { bdLeftToRight, bdRightToLeft };

// Modal results, numbered like the platform's dialog ids.
using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = 1;
constexpr TModalResult mrCancel = 2;

// Modifier keys and mouse buttons held while a key or mouse event happened.
using TShiftState = unsigned;
constexpr TShiftState ssShift = 1;
constexpr TShiftState ssAlt = 2;
constexpr TShiftState ssCtrl = 4;
constexpr TShiftState ssLeft = 8;
constexpr TShiftState ssRight = 16;
constexpr TShiftState ssMiddle = 32;

using TNotifyEvent = std::function<void(TObject* sender)>;
// Key is a 16-bit virtual key code that a handler may change (0 swallows it).
using TKeyEvent = std::function<void(TObject* sender, std::uint16_t& key, TShiftState shift)>;
using TKeyPressEvent = std::function<void(TObject* sender, char& key)>;
enum class TMouseButton { mbLeft, mbRight, mbMiddle };
// Marks the press of a double click in a mouse event's shift state.
constexpr TShiftState ssDouble = 64;
using TMouseEvent = std::function<void(TObject* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TObject* sender, TShiftState shift, int x, int y)>;
using TCloseQueryEvent = std::function<void(TObject* sender, bool& canClose)>;

struct TRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
};

struct TPoint {
  int X = 0, Y = 0;
};

// Offset that centres an extent of `inner` inside `outer`, truncating toward
// zero like the toolkit's integer division: negative when inner is larger.
constexpr int CentredOffset(int outer, int inner) { return (outer - inner) / 2; }

}  // namespace ui
