#include "PageLayout.h"

#include "SharedRoutines.h"

std::string PageLayoutName(TPageLayout layout) {
  switch (layout) {
    case TPageLayout::Single: return "single";
    case TPageLayout::Two: return "two";
    case TPageLayout::Automatic: break;
  }
  return "auto";
}

TPageLayout PageLayoutFromName(std::string_view name) {
  const std::string word = UpperCase(std::string(TrimBlanks(name)));
  if (word == "SINGLE") return TPageLayout::Single;
  if (word == "TWO") return TPageLayout::Two;
  return TPageLayout::Automatic;
}
