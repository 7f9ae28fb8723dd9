#pragma once
#include <optional>
#include <string_view>

namespace pageplayer {

// One page at a time or two facing pages. Automatic follows the stage: two
// when it is wider than tall, one in a portrait window.
enum class TPageLayout { Automatic, Single, Two };

// "auto", "single" or "two"; anything else is no layout.
std::optional<TPageLayout> ParsePageLayout(std::wstring_view text);
const wchar_t* PageLayoutName(TPageLayout layout);

bool ShowsFacingPages(TPageLayout layout, int stageWidth, int stageHeight);

}  // namespace pageplayer
