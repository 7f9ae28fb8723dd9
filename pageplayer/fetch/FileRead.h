#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace pageplayer {

// Looks up the file-opening function once, when the module starts: by name,
// so that whoever maps the module may answer that look-up with its own.
void LookUpFileFunctions();

// One file read a slice at a time with the system's file functions. A scan
// of a few megabytes takes longer to read (and to page in its buffer) than a
// frame lasts, so the window's thread reads a slice per turn and handles its
// messages in between.
class TFileRead {
public:
  enum class Progress { More, Done, Failed };

  TFileRead() = default;
  TFileRead(const TFileRead&) = delete;
  TFileRead& operator=(const TFileRead&) = delete;
  TFileRead(TFileRead&& other) noexcept;
  TFileRead& operator=(TFileRead&& other) noexcept;
  ~TFileRead() { Close(); }

  // False when the file cannot be opened or is larger than a page may be.
  // The file is read into `buffer`, whose memory is reused when it is large
  // enough. May run the host's code, and through it messages of this thread.
  bool Open(const std::wstring& path, std::vector<std::uint8_t> buffer = {});
  // Reads on for about `budgetMilliseconds` and at least one slice.
  Progress ReadFor(double budgetMilliseconds);
  // The whole file once Done; the reader is closed afterwards.
  std::vector<std::uint8_t> TakeBytes();

private:
  void Close();

  HANDLE file_ = INVALID_HANDLE_VALUE;
  std::size_t size_ = 0;
  std::vector<std::uint8_t> bytes_;
};

}  // namespace pageplayer
