#include "PageLayout.h"

namespace pageplayer {

std::optional<TPageLayout> ParsePageLayout(std::wstring_view text) {
  if (text == L"auto") return TPageLayout::Automatic;
  if (text == L"single") return TPageLayout::Single;
  if (text == L"two") return TPageLayout::Two;
  return std::nullopt;
}

const wchar_t* PageLayoutName(TPageLayout layout) {
  switch (layout) {
    case TPageLayout::Single:
      return L"single";
    case TPageLayout::Two:
      return L"two";
    case TPageLayout::Automatic:
      break;
  }
  return L"auto";
}

bool ShowsFacingPages(TPageLayout layout, int stageWidth, int stageHeight) {
  switch (layout) {
    case TPageLayout::Single:
      return false;
    case TPageLayout::Two:
      return true;
    case TPageLayout::Automatic:
      break;
  }
  return stageWidth > stageHeight;
}

}  // namespace pageplayer
