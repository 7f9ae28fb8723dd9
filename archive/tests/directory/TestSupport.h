// Helpers for the directory tests: fixture paths, scratch files, and a tiny
// archive writer for records that no real tool writes on purpose.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "Platform.h"

class TZipReader;

namespace testsupport {

// Folder of the archives made by real tools (make_fixtures.py).
std::string FixturePath(const std::string& relative);

// A scratch folder removed at destruction.
class TScratchDir {
public:
  TScratchDir();
  ~TScratchDir();
  std::string Path(const std::string& name) const;
  std::string Write(const std::string& name, const std::string& bytes) const;

private:
  std::filesystem::path dir_;
};

std::string ReadFile(const std::string& path);

struct TEntryLayout {
  std::string Name;
  std::string Data;
  std::uint32_t DosDateTime = 0x5A8C6000;  // 2025-04-12 12:00:00
  std::uint16_t Flag = 0;
  std::uint16_t VersionMadeBy = 20;
  std::uint16_t VersionNeeded = 20;
  std::string CentralExtra;
  std::string Comment;
  // The central record claims this many extra bytes but none are written.
  std::uint16_t PhantomExtraLength = 0;
  // Local header offset written into the central record instead of the real one.
  std::int64_t OffsetOverride = -1;
  // Sizes and offset escaped to 0xFFFFFFFF with a Zip64 extra block.
  bool Zip64 = false;
};

struct TArchiveLayout {
  std::vector<TEntryLayout> Entries;
  std::vector<int> CentralOrder;  // empty: physical order
  std::string Comment;
  bool Zip64End = false;          // 0xFFFF / 0xFFFFFFFF in the end record, Zip64 end record and locator
  std::string Prefix;             // bytes before the first local header
};

std::string BuildArchive(const TArchiveLayout& layout);

// An entry of the given name and bytes, everything else as a plain tool writes it.
TEntryLayout Entry(const std::string& name, const std::string& data = "data");

// The full names of every entry, in the reader's order.
std::vector<std::string> Names(const TZipReader& reader);

// Extra-field block helpers.
std::string ExtraBlock(std::uint16_t id, const std::string& data);
std::string U16(std::uint16_t v);
std::string U32(std::uint32_t v);
std::string U64(std::uint64_t v);

// A platform that forwards to the default one and can be told otherwise.
class TFakePlatform : public IArchivePlatform {
public:
  IArchivePlatform& Real = DefaultArchivePlatform();
  int Yields = 0;
  int Messages = 0;
  std::string LastMessage;
  int MessageAnswer = MessageBoxFlags::IdCancel;
  bool DialogAccepts = false;
  std::string DialogChoice;
  std::string DialogInitialDir;
  TDriveType Drive = TDriveType::Fixed;
  std::string Label;
  // Drive-letter paths "A:\x" are served from this folder.
  std::string DriveFolder;
  bool TagCodePages = false;  // OEM->ANSI adds "oem-", UTF-8->ANSI adds "utf8-"

  std::string Map(const std::string& path) const;

  std::unique_ptr<TPlatformFileStream> OpenFile(const std::string& path, TFileAccess access,
                                                TFileShare share) override;
  bool FileExists(const std::string& path) override { return Real.FileExists(Map(path)); }
  bool DirectoryExists(const std::string& path) override { return Real.DirectoryExists(Map(path)); }
  bool FileModificationTime(const std::string& path, std::int64_t& time) override {
    return Real.FileModificationTime(Map(path), time);
  }
  void ProcessMessages() override { ++Yields; }
  void Sleep(unsigned) override {}
  int ShowMessage(const std::string& text, const std::string&, unsigned, bool) override {
    ++Messages;
    LastMessage = text;
    return MessageAnswer;
  }
  bool ChooseFileToOpen(const std::string&, const std::string&, const std::string& initialDir,
                        std::string& chosen) override {
    DialogInitialDir = initialDir;
    if (DialogAccepts) chosen = DialogChoice;
    return DialogAccepts;
  }
  bool OemToAnsi(const std::string& oem, std::string& ansi) override;
  bool AnsiToOem(const std::string& ansi, std::string& oem) override;
  std::string Utf8ToAnsi(const std::string& utf8) override {
    return TagCodePages ? "utf8-" + utf8 : Real.Utf8ToAnsi(utf8);
  }
  std::string AnsiLowerCase(const std::string& text) override { return Real.AnsiLowerCase(text); }
  bool AnsiSameText(const std::string& a, const std::string& b) override { return Real.AnsiSameText(a, b); }
  TDriveType DriveType(const std::string&) override { return Drive; }
  std::string VolumeLabel(const std::string&) override { return Label; }
};

}  // namespace testsupport
