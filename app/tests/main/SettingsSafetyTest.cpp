// What a book's settings may ask of the reader: markup a parser could be made
// to expand or follow outside the book is refused before parsing, and the
// window a book asks for stays usable and on its monitor.
#include <gtest/gtest.h>

#include <string>

#include "ExeConfigInfo.h"
#include "WindowPlacement.h"

namespace {

std::string Utf16(const std::string& ascii, bool little) {
  std::string bytes = little ? "\xFF\xFE" : "\xFE\xFF";
  for (char c : ascii) bytes += little ? std::string{c, '\0'} : std::string{'\0', c};
  return bytes;
}

std::string Nested(int depth) {
  std::string xml;
  for (int i = 0; i < depth; ++i) xml += "<e>";
  for (int i = 0; i < depth; ++i) xml += "</e>";
  return xml;
}

TEST(SettingsMarkupTest, DefinitionsAndDeepNestingAreRefusedInEveryEncoding) {
  const std::string good =
      "<?xml version=\"1.0\"?><!-- made by <tool> --><ExeConfig><ExeCaption><![CDATA[<a><b>]]></ExeCaption>"
      "<WindowOpenMode a='>'>1</WindowOpenMode><WindowOpenWidth/><WindowOpenHeight>600</WindowOpenHeight></ExeConfig>";
  const std::string laughs =
      "<?xml version=\"1.0\"?><!DOCTYPE l [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;\">]>"
      "<ExeConfig><ExeCaption>&b;</ExeCaption></ExeConfig>";
  const std::string external = "<!DOCTYPE ExeConfig SYSTEM \"file:///c:/windows/win.ini\"><ExeConfig/>";
  struct TCase {
    const char* what;
    std::string xml;
    bool refused;
  };
  const TCase cases[] = {
      {"settings with comment, CDATA and a quoted >", good, false},
      {"nested entity definitions", laughs, true},
      {"an external definition", external, true},
      {"a lone entity declaration", "<ExeConfig><!ENTITY x \"y\"></ExeConfig>", true},
      {"nesting at the limit", Nested(kMaxSettingsDepth), false},
      {"nesting past the limit", Nested(kMaxSettingsDepth + 1), true},
  };
  for (const TCase& c : cases) {
    for (int form = 0; form < 3; ++form) {
      const std::string bytes = form == 0 ? c.xml : Utf16(c.xml, form == 1);
      SCOPED_TRACE(std::string(c.what) + (form == 0 ? " (8-bit)" : form == 1 ? " (UTF-16LE)" : " (UTF-16BE)"));
      EXPECT_EQ(UnsafeSettingsMarkup(bytes).has_value(), c.refused);
    }
  }
  // UTF-16 text whose units hold a '<' byte beside another (U+3C21) is no markup.
  const char deepLooking[] = "\xFF\xFE<\0e\0>\0\x21\x3C<\0/\0e\0>\0";
  EXPECT_FALSE(UnsafeSettingsMarkup(std::string(deepLooking, sizeof deepLooking - 1)).has_value());
}

TEST(WindowPlacementTest, TheAskedSizeFitsTheWorkAreaAndStaysOnIt) {
  const TScreenRect work{0, 0, 1280, 984};
  struct TCase {
    const char* what;
    TScreenRect current;
    int width, height;
    TScreenRect placed;
  };
  const TCase cases[] = {
      {"fits where it is", {100, 50, 900, 650}, 1024, 700, {100, 50, 1124, 750}},
      {"moved back on screen", {600, 400, 1400, 1000}, 1024, 700, {256, 284, 1280, 984}},
      {"huge: the work area", {100, 50, 900, 650}, 100000, 100000, {0, 0, 1280, 984}},
      {"tiny or negative: still usable", {100, 50, 900, 650}, -5, 0, {100, 50, 420, 290}},
      {"off to the top left", {-3000, -3000, -2000, -2000}, 800, 600, {0, 0, 800, 600}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(PlaceBookWindow(c.current, c.width, c.height, work), c.placed);
  }
  // A work area smaller than the least usable window gets all of it.
  EXPECT_EQ(PlaceBookWindow({10, 10, 20, 20}, 800, 600, {0, 0, 200, 100}), (TScreenRect{0, 0, 200, 100}));
  // Work areas need not start at the origin (a second monitor).
  EXPECT_EQ(PlaceBookWindow({0, 0, 10, 10}, 800, 600, {1280, 0, 2560, 1024}), (TScreenRect{1280, 0, 2080, 600}));
}

}  // namespace
