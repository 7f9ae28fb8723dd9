#include "ExeConfigInfo.h"

#include <climits>

TWindowOpenAction WindowOpenActionFor(int mode) {
  switch (mode) {
    case 1: return TWindowOpenAction::SetSize;
    case 2: return TWindowOpenAction::Maximise;
    case 3: return TWindowOpenAction::FullScreen;
    default: return TWindowOpenAction::None;
  }
}

int ConfigInteger(std::string_view text, int fallback) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return fallback;
  long long value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return fallback;
    value = value * 10 + (text[i] - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) return fallback;
  }
  if (negative) value = -value;
  if (value > INT_MAX || value < INT_MIN) return fallback;
  return static_cast<int>(value);
}

namespace {

// The markup as ASCII: UTF-16 code units (by their mark, or by a first "<"
// beside a zero byte) and bytes above ASCII become '.', which is no markup.
std::string MarkupText(std::string_view bytes) {
  const bool little = bytes.size() >= 2 && ((bytes[0] == '\xFF' && bytes[1] == '\xFE') ||
                                            (bytes[0] == '<' && bytes[1] == '\0'));
  const bool big = bytes.size() >= 2 && ((bytes[0] == '\xFE' && bytes[1] == '\xFF') ||
                                         (bytes[0] == '\0' && bytes[1] == '<'));
  std::string text;
  if (little || big) {
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
      const unsigned lo = static_cast<unsigned char>(bytes[i + (little ? 0 : 1)]);
      const unsigned hi = static_cast<unsigned char>(bytes[i + (little ? 1 : 0)]);
      text += hi == 0 && lo < 0x80 ? static_cast<char>(lo) : '.';
    }
    return text;
  }
  for (char c : bytes) text += static_cast<unsigned char>(c) < 0x80 ? c : '.';
  return text;
}

bool StartsAt(const std::string& text, std::size_t at, std::string_view word) {
  return text.compare(at, word.size(), word) == 0;
}

// Past the end of `closing` from `at`, or the text's end when it never closes.
std::size_t After(const std::string& text, std::size_t at, std::string_view closing) {
  const std::size_t end = text.find(closing, at);
  return end == std::string::npos ? text.size() : end + closing.size();
}

}  // namespace

std::optional<std::string> UnsafeSettingsMarkup(std::string_view bytes) {
  const std::string text = MarkupText(bytes);
  int depth = 0;
  std::size_t i = 0;
  while ((i = text.find('<', i)) != std::string::npos) {
    if (StartsAt(text, i, "<!--")) {
      i = After(text, i + 4, "-->");
    } else if (StartsAt(text, i, "<![CDATA[")) {
      i = After(text, i + 9, "]]>");
    } else if (StartsAt(text, i, "<?")) {
      i = After(text, i + 2, "?>");
    } else if (StartsAt(text, i, "<!")) {
      // Any other declaration belongs to a document type definition.
      return std::string("a document type definition");
    } else if (StartsAt(text, i, "</")) {
      --depth;
      i = After(text, i, ">");
    } else {
      // A start tag: its end is the first '>' outside quoted attribute values.
      std::size_t j = i + 1;
      char quote = 0;
      for (; j < text.size(); ++j) {
        if (quote) {
          if (text[j] == quote) quote = 0;
        } else if (text[j] == '"' || text[j] == '\'') {
          quote = text[j];
        } else if (text[j] == '>') {
          break;
        }
      }
      if (j == text.size() || text[j - 1] != '/') {
        if (++depth > kMaxSettingsDepth) return "elements nested deeper than " + std::to_string(kMaxSettingsDepth);
      }
      i = j;
    }
  }
  return std::nullopt;
}
