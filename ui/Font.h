// A font description that hands out a matching GDI font on demand and tells
// its owner when it changes.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "ui/GdiHandle.h"
#include "ui/Types.h"

namespace ui {

using TFontStyles = unsigned;
constexpr TFontStyles fsBold = 1;
constexpr TFontStyles fsItalic = 2;
constexpr TFontStyles fsUnderline = 4;
constexpr TFontStyles fsStrikeOut = 8;

class TFont {
public:
  TFont() = default;
  TFont(const TFont&) = delete;
  TFont& operator=(const TFont&) = delete;

  // Copies the description (not the change listener).
  void Assign(const TFont& other);

  const std::string& Name() const { return name_; }
  void SetName(const std::string& name);
  // Negative: character height in pixels; positive: cell height.
  int Height() const { return height_; }
  void SetHeight(int height);
  TFontStyles Style() const { return style_; }
  void SetStyle(TFontStyles style);
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  BYTE Charset() const { return charset_; }
  void SetCharset(BYTE charset);

  HFONT Handle() const;

  std::function<void()> OnChange;

private:
  void Changed();

  std::string name_ = "MS Sans Serif";
  int height_ = -11;
  TFontStyles style_ = 0;
  TColor color_ = clWindowText;
  BYTE charset_ = DEFAULT_CHARSET;
  mutable GdiHandle<HFONT> handle_;
};

}  // namespace ui
