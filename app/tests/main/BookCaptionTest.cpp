// The book's caption from its index.html and the settings file's numbers.
#include <gtest/gtest.h>

#include <string>

#include "BookCaption.h"
#include "ExeConfigInfo.h"

namespace {

// Stands in for the system code page: ASCII passes, anything else is marked.
std::string AsciiOrMark(const std::u16string& text) {
  std::string out;
  for (char16_t c : text) out += c < 0x80 ? static_cast<char>(c) : '#';
  return out;
}

std::string Utf16(const std::u16string& text, bool little) {
  std::string bytes = little ? "\xFF\xFE" : "\xFE\xFF";
  for (char16_t c : text) {
    const char lo = static_cast<char>(c & 0xFF), hi = static_cast<char>(c >> 8);
    bytes += little ? std::string{lo, hi} : std::string{hi, lo};
  }
  return bytes;
}

TEST(BookCaption, TitleFromEveryEncoding) {
  const std::u16string page = u"<html><head><TITLE> Caf\u00e9\rBook </Title></head></html>";
  struct Case {
    const char* what;
    std::string bytes;
    std::string title;
  };
  const Case cases[] = {
      {"utf-16 le", Utf16(page, true), " Caf#\r\nBook "},
      {"utf-16 be", Utf16(page, false), " Caf#\r\nBook "},
      {"utf-8", "\xEF\xBB\xBF<title>Caf\xC3\xA9</title>", "Caf#"},
      // Without a mark the bytes are the system code page's, taken as they are.
      {"code page", "<html><Title>Caf\xE9\nBook</TITLE>", "Caf\xE9\r\nBook"},
      {"utf-8 broken", "\xEF\xBB\xBF<title>a\xC3(\xF0\x9F\x98\x80</title>", "a#(##"},
      {"no title", "<html><title lang=en>x</title>", ""},
      {"closing first", "</title>x<title>", ""},
      {"empty", "", ""},
      {"odd utf-16", std::string("\xFF\xFE<\0t\0i\0t\0l\0e\0>\0x\0<\0/\0t\0i\0t\0l\0e\0>\0!", 35), "x"},
  };
  for (const Case& c : cases) EXPECT_EQ(BookTitleFromHtml(c.bytes, AsciiOrMark), c.title) << c.what;
}

TEST(BookCaption, MarksChooseTheEncoding) {
  std::size_t mark = 9;
  EXPECT_EQ(DetectTextEncoding("\xFF\xFEx", mark), TTextEncoding::Utf16LE);
  EXPECT_EQ(mark, 2u);
  EXPECT_EQ(DetectTextEncoding("\xFE\xFFx", mark), TTextEncoding::Utf16BE);
  EXPECT_EQ(DetectTextEncoding("\xEF\xBB\xBFx", mark), TTextEncoding::Utf8);
  EXPECT_EQ(mark, 3u);
  EXPECT_EQ(DetectTextEncoding("\xEF\xBBx", mark), TTextEncoding::SystemCodePage);
  EXPECT_EQ(mark, 0u);
  EXPECT_EQ(DecodeUnicodeText("\xF0\x9F\x98\x80", TTextEncoding::Utf8), u"\U0001F600");
}

TEST(ExeConfig, NumbersAndModes) {
  const std::pair<const char*, int> numbers[] = {
      {"1024", 1024}, {"  700", 700}, {"-3", -3}, {"+5", 5}, {"x", 42},     {"", 42},
      {"12 ", 42},    {"1e3", 42},    {"-", 42},  {"2147483647", 2147483647}, {"2147483648", 42},
      {"-2147483648", -2147483647 - 1}, {"99999999999999999999", 42},
  };
  for (const auto& [text, value] : numbers) EXPECT_EQ(ConfigInteger(text, 42), value) << text;
  EXPECT_EQ(WindowOpenActionFor(1), TWindowOpenAction::SetSize);
  EXPECT_EQ(WindowOpenActionFor(2), TWindowOpenAction::Maximise);
  EXPECT_EQ(WindowOpenActionFor(3), TWindowOpenAction::FullScreen);
  EXPECT_EQ(WindowOpenActionFor(0), TWindowOpenAction::None);
  EXPECT_EQ(WindowOpenActionFor(4), TWindowOpenAction::None);
}

}  // namespace
