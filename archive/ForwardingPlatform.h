#pragma once
#include "Platform.h"

// A platform that passes every call on to another, so that a caller can
// change one behaviour (most often the yield) and keep the rest.
class TForwardingPlatform : public IArchivePlatform {
public:
  explicit TForwardingPlatform(IArchivePlatform& platform) : platform_(platform) {}

  std::unique_ptr<TPlatformFileStream> OpenFile(const std::string& path, TFileAccess access,
                                                TFileShare share) override {
    return platform_.OpenFile(path, access, share);
  }
  bool FileExists(const std::string& path) override { return platform_.FileExists(path); }
  bool DirectoryExists(const std::string& path) override { return platform_.DirectoryExists(path); }
  bool FileModificationTime(const std::string& path, std::int64_t& time) override {
    return platform_.FileModificationTime(path, time);
  }
  void ProcessMessages() override { platform_.ProcessMessages(); }
  void Sleep(unsigned milliseconds) override { platform_.Sleep(milliseconds); }
  int ShowMessage(const std::string& text, const std::string& caption, unsigned flags, bool arrowCursor) override {
    return platform_.ShowMessage(text, caption, flags, arrowCursor);
  }
  bool ChooseFileToOpen(const std::string& title, const std::string& filter, const std::string& initialDir,
                        std::string& chosen) override {
    return platform_.ChooseFileToOpen(title, filter, initialDir, chosen);
  }
  bool OemToAnsi(const std::string& oem, std::string& ansi) override { return platform_.OemToAnsi(oem, ansi); }
  bool AnsiToOem(const std::string& ansi, std::string& oem) override { return platform_.AnsiToOem(ansi, oem); }
  std::string Utf8ToAnsi(const std::string& utf8) override { return platform_.Utf8ToAnsi(utf8); }
  std::string AnsiLowerCase(const std::string& text) override { return platform_.AnsiLowerCase(text); }
  bool AnsiSameText(const std::string& a, const std::string& b) override { return platform_.AnsiSameText(a, b); }
  TDriveType DriveType(const std::string& root) override { return platform_.DriveType(root); }
  std::string VolumeLabel(const std::string& root) override { return platform_.VolumeLabel(root); }

private:
  IArchivePlatform& platform_;
};
