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
