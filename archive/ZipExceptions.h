// Exceptions raised by the archive reader; each carries only a message.
#pragma once

#include "Exception.h"

class EZipReaderException : public Exception {
public:
  using Exception::Exception;
};

#define VELL_ZIP_EXCEPTION(Name)          \
  class Name : public EZipReaderException { \
  public:                                   \
    using EZipReaderException::EZipReaderException; \
  }

VELL_ZIP_EXCEPTION(EBadZipFile);
VELL_ZIP_EXCEPTION(EIncompleteZip);
VELL_ZIP_EXCEPTION(ENotAZipFile);
VELL_ZIP_EXCEPTION(EFatalUnzipError);
VELL_ZIP_EXCEPTION(EUserCanceled);
VELL_ZIP_EXCEPTION(EBiggerThanUncompressed);
VELL_ZIP_EXCEPTION(ECantWriteUCF);
VELL_ZIP_EXCEPTION(ECanceledUnzipToBuffer);

#undef VELL_ZIP_EXCEPTION

// Inflate failures.
class EZLibError : public Exception {
public:
  using Exception::Exception;
};

class EZCompressionError : public EZLibError {
public:
  using EZLibError::EZLibError;
};

// The messages the reader raises with; callers and tests compare against them.
namespace ZipMessages {
inline constexpr const char* NotAZip = "Not a valid zip file!";
inline constexpr const char* Incomplete = "Incomplete Zip File";
inline constexpr const char* UserAborted = "User Aborted Operation";
inline constexpr const char* CanceledZipName = "User canceled setting zip file name.";
inline constexpr const char* CanceledNewDisk = "User canceled loading new disk.";
inline constexpr const char* IndexOutOfRange = "Index %d is out of range";
inline constexpr const char* PrematureEnd = "Premature end of file reached";
inline constexpr const char* BiggerThanUncompressed = "File is larger than uncompressed size!";
inline constexpr const char* CantWriteUCF = "Cant write uncompressed file";
// An operation asked for from a handler that runs while the directory loads.
inline constexpr const char* DirectoryBeingRead = "The archive's directory is being read.";
}  // namespace ZipMessages
