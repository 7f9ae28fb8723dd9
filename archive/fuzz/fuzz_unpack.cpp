// libFuzzer target over extraction: whatever the archive bytes, extracting
// its entries ends in counts or in one of the reader's exceptions, within
// bounded time and memory.
//
// The first input byte chooses the settings (password, incomplete mode, how
// entries are named, a target that already holds data, a password offered
// on demand); the rest is the archive file.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "ZipReader.h"

namespace {

class TMemoryFile final : public TPlatformFileStream {
public:
  TMemoryFile(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::size_t Read(void* buffer, std::size_t count) override {
    if (position_ >= size_) return 0;
    const std::size_t n = std::min(count, size_ - position_);
    std::memcpy(buffer, data_ + position_, n);
    position_ += n;
    return n;
  }
  std::size_t Write(const void*, std::size_t) override { return 0; }
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override {
    const std::int64_t base = origin == TSeekOrigin::soBeginning ? 0
                              : origin == TSeekOrigin::soCurrent ? static_cast<std::int64_t>(position_)
                                                                 : static_cast<std::int64_t>(size_);
    if (base + offset >= 0) position_ = static_cast<std::size_t>(base + offset);
    return static_cast<std::int64_t>(position_);
  }
  std::int64_t Size() override { return static_cast<std::int64_t>(size_); }
  void FlushToDevice() override {}

private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t position_ = 0;
};

// Serves the one archive from memory; every other file is missing.
class TMemoryPlatform final : public IArchivePlatform {
public:
  const std::uint8_t* Data = nullptr;
  std::size_t Size = 0;
  static constexpr const char* kName = "fuzz.zip";

  std::unique_ptr<TPlatformFileStream> OpenFile(const std::string& path, TFileAccess, TFileShare) override {
    if (path != kName) throw EFOpenError("Cannot open file \"" + path + "\".");
    return std::make_unique<TMemoryFile>(Data, Size);
  }
  bool FileExists(const std::string& path) override { return path == kName; }
  bool DirectoryExists(const std::string&) override { return false; }
  bool FileModificationTime(const std::string&, std::int64_t& time) override {
    time = 1;
    return true;
  }
  void ProcessMessages() override {}
  void Sleep(unsigned) override {}
  int ShowMessage(const std::string&, const std::string&, unsigned, bool) override { return MessageBoxFlags::IdCancel; }
  bool ChooseFileToOpen(const std::string&, const std::string&, const std::string&, std::string&) override {
    return false;
  }
  bool OemToAnsi(const std::string& oem, std::string& ansi) override { return Real().OemToAnsi(oem, ansi); }
  bool AnsiToOem(const std::string& ansi, std::string& oem) override { return Real().AnsiToOem(ansi, oem); }
  std::string Utf8ToAnsi(const std::string& utf8) override { return Real().Utf8ToAnsi(utf8); }
  std::string AnsiLowerCase(const std::string& text) override { return Real().AnsiLowerCase(text); }
  bool AnsiSameText(const std::string& a, const std::string& b) override { return Real().AnsiSameText(a, b); }
  TDriveType DriveType(const std::string&) override { return TDriveType::Fixed; }
  std::string VolumeLabel(const std::string&) override { return {}; }

private:
  static IArchivePlatform& Real() { return DefaultArchivePlatform(); }
};

// The last is longer than any AES key derivation accepts.
const std::string kPasswords[] = {"", "secret", "Se cret-7", std::string(140, 'p')};

constexpr int kMaxEntriesTried = 32;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t options = data[0];
  TMemoryPlatform platform;
  platform.Data = data + 1;
  platform.Size = size - 1;

  TZipReader reader(platform);
  reader.SetPassword(kPasswords[options & 3]);
  if (options & 0x04) reader.SetIncompleteZipMode(TIncompleteZipMode::izAssumeBad);
  if (options & 0x20) {
    bool offered = false;  // one new password, then give up
    reader.OnBadPassword = [offered](TZipReader*, int, std::string& password) mutable {
      if (!offered) password = "secret";
      offered = true;
    };
  }
  reader.SetZipName(TMemoryPlatform::kName);
  try {
    reader.ReadZipDirectory();
    const int entries = std::min(reader.EntryCount(), kMaxEntriesTried);
    if (options & 0x08) {
      TMemoryStream stream;
      reader.UnpackToStream(&stream, "*");
    } else {
      for (int i = 0; i < entries; ++i) {
        TMemoryStream stream;
        if (options & 0x10) stream.Write("already here", 12);
        try {
          reader.UnpackToStream(&stream, reader.EntryFullName(i));
        } catch (const Exception&) {
          // A damaged entry; the reader must stay usable for the next one.
        }
      }
    }
  } catch (const Exception&) {
    // The reader's own failures are expected answers to bad input.
  }
  return 0;
}
