// What both fuzz targets stand on: the archive served from the fuzzer's
// input bytes, and a platform on which every other file is missing.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "ZipReader.h"

namespace vell::fuzz {

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

// Serves the one archive from memory; every other file is missing, and every
// question a message box would ask is answered with Cancel.
class TMemoryPlatform final : public IArchivePlatform {
public:
  static constexpr const char* kName = "fuzz.zip";

  TMemoryPlatform(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  std::unique_ptr<TPlatformFileStream> OpenFile(const std::string& path, TFileAccess, TFileShare) override {
    if (path != kName) throw EFOpenError("Cannot open file \"" + path + "\".");
    return std::make_unique<TMemoryFile>(data_, size_);
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

  const std::uint8_t* data_;
  std::size_t size_;
};

}  // namespace vell::fuzz
