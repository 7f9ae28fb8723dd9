// The window settings a book may carry in its top-level entry "ExeConfig.xml":
// the caption after the reader's name and how the window opens.
#pragma once

#include <optional>
#include <string>
#include <string_view>

class TStream;

// What a window-open mode asks of the main window.
enum class TWindowOpenAction { None, SetSize, Maximise, FullScreen };
TWindowOpenAction WindowOpenActionFor(int mode);

// A decimal integer (blanks before it, a sign), or fallback for any other text.
int ConfigInteger(std::string_view text, int fallback);

// Elements nest this deep at most: the settings need two levels.
inline constexpr int kMaxSettingsDepth = 16;

// Why the settings document's markup is refused before any parser sees it: a
// document type definition (entities that expand a thousandfold, external
// ones that reach outside the book) or elements nested past
// kMaxSettingsDepth; none when it may be parsed. Reads 8-bit text and UTF-16
// of either byte order alike.
std::optional<std::string> UnsafeSettingsMarkup(std::string_view bytes);

class TExeConfigInfo {
public:
  static const char* ConfigFileName() { return "ExeConfig.xml"; }

  // Parses the whole stream from its first byte with the platform's XML
  // parser. A document that is no XML, whose element is not "ExeConfig", or
  // which lacks one of the four elements or holds anything but a single text
  // node in one raises an exception; the fields are then of no use. So does
  // a document UnsafeSettingsMarkup refuses.
  void LoadFromStream(TStream& stream);

  std::string ExeCaption;
  int WindowOpenMode = 2;
  int WindowOpenWidth = 800;
  int WindowOpenHeight = 600;
};
