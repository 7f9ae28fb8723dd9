// One page or two: the person's choice, as the player takes it and as it is
// kept between runs.
#pragma once

#include <string>
#include <string_view>

enum class TPageLayout {
  Automatic,  // follows the stage's shape: one page when it is taller than wide
  Single,
  Two,
};

// The player's word for the choice ("auto", "single", "two"); the stored file
// uses the same words.
std::string PageLayoutName(TPageLayout layout);
// The choice a stored word names, blanks and letter case aside; anything
// else (a damaged or foreign file, nothing at all) is Automatic.
TPageLayout PageLayoutFromName(std::string_view name);
