#include "PageNumber.h"

#include "DecimalText.h"
#include "SharedRoutines.h"

std::optional<int> ParsePageNumber(std::string_view text, int pageCount) {
  const std::optional<int> page = ParseDecimal<int>(TrimBlanks(text));
  if (!page || *page < 1 || *page > pageCount) return std::nullopt;
  return page;
}
