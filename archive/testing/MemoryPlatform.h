// The platform the archive's tests and fuzz targets run the reader on:
// files held in memory, the system's files beside them unless told
// otherwise, and every question for the user answered as set and counted.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Platform.h"

namespace testsupport {

class TMemoryPlatform : public IArchivePlatform {
public:
  // Held in memory under exactly this name. Putting a file again changes its
  // modification time; streams already open keep the bytes they opened.
  void PutFile(const std::string& name, std::string bytes);

  // Names not held in memory reach the system's files; when false they are missing.
  bool SystemFiles = true;
  // Drive-letter paths "A:\x" are the system's files in this folder.
  std::string DriveFolder;
  TDriveType Drive = TDriveType::Fixed;
  std::string Label;

  // The size asked for by every read of a held file, in order.
  std::vector<std::size_t> Reads;
  int Yields = 0;
  // Runs on every yield, as a handler the message loop dispatches would.
  std::function<void()> DuringYield;
  int Messages = 0;
  std::string LastMessage;
  int MessageAnswer = MessageBoxFlags::IdCancel;
  bool DialogAccepts = false;
  std::string DialogChoice;
  std::string DialogInitialDir;
  // OEM->ANSI adds "oem-", UTF-8->ANSI adds "utf8-"; names holding '~' fail
  // the round trip back, like characters without an ANSI form.
  bool TagCodePages = false;

  std::unique_ptr<TPlatformFileStream> OpenFile(const std::string& path, TFileAccess access,
                                                TFileShare share) override;
  bool FileExists(const std::string& path) override;
  bool DirectoryExists(const std::string& path) override;
  bool FileModificationTime(const std::string& path, std::int64_t& time) override;
  void ProcessMessages() override {
    ++Yields;
    if (DuringYield) DuringYield();
  }
  void Sleep(unsigned) override {}
  int ShowMessage(const std::string& text, const std::string& caption, unsigned flags, bool arrowCursor) override;
  bool ChooseFileToOpen(const std::string& title, const std::string& filter, const std::string& initialDir,
                        std::string& chosen) override;
  bool OemToAnsi(const std::string& oem, std::string& ansi) override;
  bool AnsiToOem(const std::string& ansi, std::string& oem) override;
  std::string Utf8ToAnsi(const std::string& utf8) override;
  std::string AnsiLowerCase(const std::string& text) override { return System().AnsiLowerCase(text); }
  bool AnsiSameText(const std::string& a, const std::string& b) override { return System().AnsiSameText(a, b); }
  TDriveType DriveType(const std::string&) override { return Drive; }
  std::string VolumeLabel(const std::string&) override { return Label; }

private:
  struct TFile {
    std::shared_ptr<const std::string> Bytes;
    std::int64_t Version = 0;
  };
  static IArchivePlatform& System() { return DefaultArchivePlatform(); }
  // The system's path for a name, after the drive-letter mapping.
  std::string OnDisk(const std::string& path) const;
  const TFile* Held(const std::string& path) const;

  std::map<std::string, TFile> files_;
  std::int64_t versions_ = 0;
};

}  // namespace testsupport
