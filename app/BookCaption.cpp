#include "BookCaption.h"

namespace {

constexpr char16_t kReplacement = 0xFFFD;

template <class Char>
std::basic_string<Char> JoinLines(std::basic_string_view<Char> text) {
  std::basic_string<Char> joined;
  joined.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const Char c = text[i];
    if (c == Char('\r') || c == Char('\n')) {
      joined += Char('\r');
      joined += Char('\n');
      if (c == Char('\r') && i + 1 < text.size() && text[i + 1] == Char('\n')) ++i;
    } else {
      joined += c;
    }
  }
  return joined;
}

template <class Char>
Char LowerAscii(Char c) {
  return (c >= Char('A') && c <= Char('Z')) ? Char(c - Char('A') + Char('a')) : c;
}

template <class Char>
std::size_t FindIgnoringAsciiCase(std::basic_string_view<Char> text, std::string_view lowerNeedle) {
  if (lowerNeedle.size() > text.size()) return std::basic_string_view<Char>::npos;
  for (std::size_t at = 0; at + lowerNeedle.size() <= text.size(); ++at) {
    std::size_t i = 0;
    while (i < lowerNeedle.size() && LowerAscii(text[at + i]) == Char(lowerNeedle[i])) ++i;
    if (i == lowerNeedle.size()) return at;
  }
  return std::basic_string_view<Char>::npos;
}

template <class Char>
std::basic_string<Char> TitleOf(std::basic_string_view<Char> text) {
  constexpr std::string_view open = "<title>", close = "</title>";
  const std::size_t start = FindIgnoringAsciiCase(text, open);
  const std::size_t end = FindIgnoringAsciiCase(text, close);
  if (start == text.npos || end == text.npos || end < start + open.size()) return {};
  return std::basic_string<Char>(text.substr(start + open.size(), end - start - open.size()));
}

void AppendCodePoint(std::u16string& out, char32_t cp) {
  if (cp < 0x10000) {
    out += static_cast<char16_t>(cp);
  } else {
    cp -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (cp >> 10));
    out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
  }
}

std::u16string DecodeUtf8(std::string_view bytes) {
  std::u16string out;
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    int extra = lead < 0x80 ? 0 : (lead & 0xE0) == 0xC0 ? 1 : (lead & 0xF0) == 0xE0 ? 2 : (lead & 0xF8) == 0xF0 ? 3 : -1;
    if (extra < 0 || i + static_cast<std::size_t>(extra) >= bytes.size()) {
      out += kReplacement;
      ++i;
      continue;
    }
    char32_t cp = extra == 0 ? lead : lead & (0x3F >> extra);
    bool sound = true;
    for (int k = 1; k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(bytes[i + static_cast<std::size_t>(k)]);
      if ((next & 0xC0) != 0x80) {
        sound = false;
        break;
      }
      cp = (cp << 6) | (next & 0x3F);
    }
    static constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
    if (!sound || cp < kLeast[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      out += kReplacement;
      ++i;
      continue;
    }
    AppendCodePoint(out, cp);
    i += static_cast<std::size_t>(extra) + 1;
  }
  return out;
}

}  // namespace

TTextEncoding DetectTextEncoding(std::string_view bytes, std::size_t& markLength) {
  if (bytes.starts_with("\xFF\xFE")) {
    markLength = 2;
    return TTextEncoding::Utf16LE;
  }
  if (bytes.starts_with("\xFE\xFF")) {
    markLength = 2;
    return TTextEncoding::Utf16BE;
  }
  if (bytes.starts_with("\xEF\xBB\xBF")) {
    markLength = 3;
    return TTextEncoding::Utf8;
  }
  markLength = 0;
  return TTextEncoding::SystemCodePage;
}

std::u16string DecodeUnicodeText(std::string_view bytes, TTextEncoding encoding) {
  if (encoding == TTextEncoding::Utf8) return DecodeUtf8(bytes);
  std::u16string out;
  const bool little = encoding == TTextEncoding::Utf16LE;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
    out += static_cast<char16_t>(little ? (b << 8 | a) : (a << 8 | b));
  }
  return out;
}

std::string JoinLinesCrLf(std::string_view text) { return JoinLines(text); }
std::u16string JoinLinesCrLf(std::u16string_view text) { return JoinLines(text); }
std::string TitleBetweenTags(std::string_view text) { return TitleOf(text); }
std::u16string TitleBetweenTags(std::u16string_view text) { return TitleOf(text); }

std::string BookTitleFromHtml(std::string_view bytes,
                              const std::function<std::string(const std::u16string&)>& toCodePage) {
  std::size_t mark = 0;
  const TTextEncoding encoding = DetectTextEncoding(bytes, mark);
  if (encoding == TTextEncoding::SystemCodePage) return TitleBetweenTags(JoinLinesCrLf(bytes));
  return toCodePage(TitleBetweenTags(JoinLinesCrLf(DecodeUnicodeText(bytes.substr(mark), encoding))));
}
