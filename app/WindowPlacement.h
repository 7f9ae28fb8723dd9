// Where a window goes when a book asks for its size: never larger than the
// work area of its monitor, never smaller than a window one can still use,
// and moved only as far as it takes to stay wholly on that monitor.
#pragma once

struct TScreenRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  bool operator==(const TScreenRect&) const = default;
};

// A window narrower or lower than this shows neither its menu nor a page.
inline constexpr int kMinBookWindowWidth = 320;
inline constexpr int kMinBookWindowHeight = 240;

// The window's bounds for the asked size, starting from where it is now.
TScreenRect PlaceBookWindow(const TScreenRect& current, int width, int height, const TScreenRect& workArea);
