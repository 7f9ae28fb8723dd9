// Helpers for the extraction tests: scratch folders, real archiving tools,
// a small archive writer for records no tool writes on purpose, and streams
// that watch what the reader does to them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "Stream.h"
#include "ZipReader.h"

namespace unpacktest {

using Bytes = std::string;  // archive and entry bytes; std::string compares and prints well

class TScratchDir {
public:
  TScratchDir();
  ~TScratchDir();
  TScratchDir(const TScratchDir&) = delete;
  TScratchDir& operator=(const TScratchDir&) = delete;
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  std::string Write(const std::string& name, const Bytes& bytes) const;

private:
  std::filesystem::path dir_;
};

Bytes ReadFile(const std::string& path);
bool ToolAvailable(const std::string& tool);
// Runs a shell command in a folder; returns its exit status.
int RunTool(const std::string& folder, const std::string& command);
// Runs a shell command in a folder and returns what it wrote to standard output.
Bytes Output(const std::string& folder, const std::string& command);

// Data that compresses moderately (words, numbers and some noise).
Bytes SampleData(std::size_t size, unsigned seed);
Bytes RawDeflate(const Bytes& data, int level = 6);
std::uint32_t Crc32(const Bytes& data);

// One entry as the writer below should record it; the sizes and the CRC are
// computed from Data unless overridden.
struct TRawEntry {
  std::string Name;
  Bytes Data;  // as stored (already compressed / encrypted)
  std::uint16_t Method = 0;
  std::uint16_t Flag = 0;
  std::uint32_t Crc = 0;
  std::int64_t UncompressedSize = -1;  // -1: Data.size()
  std::int64_t CompressedSize = -1;    // -1: Data.size()
  std::uint32_t DosDateTime = 0x5A8C6000;
  // As a streaming writer leaves it: flag bit 3, no CRC or sizes in the
  // local header, a data descriptor after the data (its signature is optional).
  bool Streamed = false;
  bool DescriptorSigned = true;
};
// Local headers with their data, then the central directory and end record.
Bytes BuildArchive(const std::vector<TRawEntry>& entries);
TRawEntry StoredEntry(const std::string& name, const Bytes& data);
TRawEntry DeflatedEntry(const std::string& name, const Bytes& data);

// A memory stream that remembers the largest size it was asked to take and
// can be told to accept only so many bytes per write.
class TWatchedStream : public TMemoryStream {
public:
  std::size_t Write(const void* buffer, std::size_t count) override;
  void SetSize(std::int64_t newSize) override;
  Bytes Contents() { return Bytes(reinterpret_cast<const char*>(Memory()), static_cast<std::size_t>(Size())); }

  std::int64_t LargestSizeSet = 0;
  std::size_t WriteLimit = SIZE_MAX;
  std::int64_t SizeLimit = INT64_MAX;  // larger sizes fail as if memory ran out
  int Writes = 0;
};

// The default platform, with the yields and message boxes counted.
class TCountingPlatform : public IArchivePlatform {
public:
  IArchivePlatform& Real = DefaultArchivePlatform();
  int Yields = 0;
  int MessageBoxes = 0;

  std::unique_ptr<TPlatformFileStream> OpenFile(const std::string& path, TFileAccess access,
                                                TFileShare share) override {
    return Real.OpenFile(path, access, share);
  }
  bool FileExists(const std::string& path) override { return Real.FileExists(path); }
  bool DirectoryExists(const std::string& path) override { return Real.DirectoryExists(path); }
  bool FileModificationTime(const std::string& path, std::int64_t& time) override {
    return Real.FileModificationTime(path, time);
  }
  void ProcessMessages() override { ++Yields; }
  void Sleep(unsigned) override {}
  int ShowMessage(const std::string&, const std::string&, unsigned, bool) override {
    ++MessageBoxes;
    return MessageBoxFlags::IdOk;
  }
  bool ChooseFileToOpen(const std::string&, const std::string&, const std::string&, std::string&) override {
    return false;
  }
  bool OemToAnsi(const std::string& oem, std::string& ansi) override { return Real.OemToAnsi(oem, ansi); }
  bool AnsiToOem(const std::string& ansi, std::string& oem) override { return Real.AnsiToOem(ansi, oem); }
  std::string Utf8ToAnsi(const std::string& utf8) override { return Real.Utf8ToAnsi(utf8); }
  std::string AnsiLowerCase(const std::string& text) override { return Real.AnsiLowerCase(text); }
  bool AnsiSameText(const std::string& a, const std::string& b) override { return Real.AnsiSameText(a, b); }
  TDriveType DriveType(const std::string& root) override { return Real.DriveType(root); }
  std::string VolumeLabel(const std::string& root) override { return Real.VolumeLabel(root); }
};

// Encrypts with the traditional PKWARE cipher: a 12-byte header whose last
// byte is checkByte, then the data.
Bytes EncryptTraditional(const Bytes& plain, const std::string& password, std::uint8_t checkByte);

struct TExtraction {
  int Result = 0;
  Bytes Data;
};
// Extracts name from the archive at path into a fresh memory stream.
TExtraction Extract(const std::string& path, const std::string& name, const std::string& password = "");

}  // namespace unpacktest
