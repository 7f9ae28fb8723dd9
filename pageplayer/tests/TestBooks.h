#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace pageplayer::testing {

// A book unpacked into a fresh folder of its own, removed again at the end.
class TBookFolder {
public:
  TBookFolder();
  TBookFolder(const TBookFolder&) = delete;
  TBookFolder& operator=(const TBookFolder&) = delete;
  ~TBookFolder();

  // Writes a file below the folder; "/" separates folders.
  void Write(const std::string& relative, const std::vector<std::uint8_t>& bytes);
  void Write(const std::string& relative, const std::string& text);
  std::wstring PathOf(const std::string& relative) const;

private:
  std::wstring folder_;
};

// The page list naming pages 1..count as files/pages/NNN.jpg.
std::string PageListFor(int count);

// Page colours the tests' pictures use, one per page.
COLORREF PageColour(int page);

}  // namespace pageplayer::testing
