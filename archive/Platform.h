// The narrow seam between the archive reader and the operating system.
// The reader's public headers include no system header; everything it needs
// from the platform goes through this interface.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "Stream.h"

enum class TFileAccess { Read, ReadWrite, Create };
enum class TFileShare { DenyNone, DenyWrite, Exclusive };

enum class TDriveType { Unknown, NoRootDir, Removable, Fixed, Remote, CDRom, RamDisk };

// A stream over an open operating-system file.
class TPlatformFileStream : public TStream {
public:
  // Ask the system to write the file's buffers to the device.
  virtual void FlushToDevice() = 0;
  // The value IArchivePlatform::FileModificationTime gives for this file,
  // taken from the open file itself; false when it cannot tell, and the
  // caller asks by name instead.
  virtual bool ModificationTime(std::int64_t& /*time*/) { return false; }
};

// Message-box flags and answers used by the reader (the values of the
// Windows message box, so that handlers see familiar numbers).
namespace MessageBoxFlags {
inline constexpr unsigned Ok = 0x0;
inline constexpr unsigned OkCancel = 0x1;
inline constexpr unsigned IconExclamation = 0x30;
inline constexpr int IdOk = 1;
inline constexpr int IdCancel = 2;
}  // namespace MessageBoxFlags

class IArchivePlatform {
public:
  virtual ~IArchivePlatform() = default;

  // Opens a file; raises EFOpenError with the system's reason on failure.
  virtual std::unique_ptr<TPlatformFileStream> OpenFile(const std::string& path, TFileAccess access,
                                                        TFileShare share) = 0;
  virtual bool FileExists(const std::string& path) = 0;
  virtual bool DirectoryExists(const std::string& path) = 0;
  // Modification time of a file in an opaque, comparable unit; false when
  // the file cannot be examined.
  virtual bool FileModificationTime(const std::string& path, std::int64_t& time) = 0;

  // Dispatch every window message waiting in the calling thread's queue.
  virtual void ProcessMessages() = 0;
  virtual void Sleep(unsigned milliseconds) = 0;
  // Modal message box without owner; returns the button pressed. With
  // arrowCursor the mouse cursor shows the default arrow meanwhile.
  virtual int ShowMessage(const std::string& text, const std::string& caption, unsigned flags,
                          bool arrowCursor) = 0;
  // Open-file dialog; false when the user cancels.
  virtual bool ChooseFileToOpen(const std::string& title, const std::string& filter,
                                const std::string& initialDir, std::string& chosen) = 0;

  // Code-page conversions of 8-bit names. False when the system refuses.
  virtual bool OemToAnsi(const std::string& oem, std::string& ansi) = 0;
  virtual bool AnsiToOem(const std::string& ansi, std::string& oem) = 0;
  // UTF-8 to the system's ANSI code page (characters it lacks become '?').
  virtual std::string Utf8ToAnsi(const std::string& utf8) = 0;
  // Lower-casing and case-insensitive equality in the ANSI code page.
  virtual std::string AnsiLowerCase(const std::string& text) = 0;
  virtual bool AnsiSameText(const std::string& a, const std::string& b) = 0;

  // Type of the drive whose root is given ("A:\"), and its volume label.
  virtual TDriveType DriveType(const std::string& root) = 0;
  virtual std::string VolumeLabel(const std::string& root) = 0;
};

// The implementation linked in (vell_archive_platform): Win32 calls in the
// Windows build, a plain implementation in native builds.
IArchivePlatform& DefaultArchivePlatform();
