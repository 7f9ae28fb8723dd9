// Plain platform for native builds (tests, tools, fuzzing): POSIX files, no
// message loop, no dialogs, and 8-bit names taken as they are (the native
// system code page is UTF-8, so OEM, ANSI and UTF-8 names coincide).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <chrono>
#include <thread>

#include "Exception.h"
#include "../Platform.h"

namespace {

// Size and inode join the time so that a replacement within the same clock
// tick is still noticed.
std::int64_t ModificationStamp(const struct stat& info) {
  std::int64_t time = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec;
  time ^= static_cast<std::int64_t>(info.st_size) << 17;
  time ^= static_cast<std::int64_t>(info.st_ino) << 29;
  return time;
}

// Keeps its own position and reads and writes at it, so that moving about
// costs no system call; a file opened for reading keeps what the opening
// learnt of it (size, time), since the reader asks for both on every entry.
class TPosixFileStream final : public TPlatformFileStream {
public:
  TPosixFileStream(int fd, const struct stat& info, bool readOnly) : fd_(fd), atOpen_(info), readOnly_(readOnly) {}
  ~TPosixFileStream() override { ::close(fd_); }

  std::size_t Read(void* buffer, std::size_t count) override {
    std::size_t done = 0;
    while (done < count) {
      const ssize_t n = ::pread(fd_, static_cast<char*>(buffer) + done, count - done, position_ + done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
    position_ += static_cast<off_t>(done);
    return done;
  }

  std::size_t Write(const void* buffer, std::size_t count) override {
    std::size_t done = 0;
    while (done < count) {
      const ssize_t n = ::pwrite(fd_, static_cast<const char*>(buffer) + done, count - done, position_ + done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
    position_ += static_cast<off_t>(done);
    return done;
  }

  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override {
    std::int64_t base;
    switch (origin) {
      case TSeekOrigin::soBeginning: base = 0; break;
      case TSeekOrigin::soCurrent: base = position_; break;
      case TSeekOrigin::soEnd: base = Size(); break;
      default: throw EStreamError(FormatWithInt("Invalid seek origin (%d)", static_cast<int>(origin)));
    }
    // A seek before the start fails and leaves the position, as the system's does.
    if (offset < 0 ? base < -offset : base > INT64_MAX - offset) return position_;
    position_ = static_cast<off_t>(base + offset);
    return position_;
  }

  std::int64_t Size() override { return static_cast<std::int64_t>(Current().st_size); }

  void SetSize(std::int64_t newSize) override {
    if (::ftruncate(fd_, static_cast<off_t>(newSize)) != 0) throw EStreamError("Stream size error");
  }

  void FlushToDevice() override { ::fsync(fd_); }

  bool ModificationTime(std::int64_t& time) override {
    time = ModificationStamp(Current());
    return true;
  }

private:
  struct stat Current() {
    if (readOnly_) return atOpen_;
    struct stat info {};
    // A size that cannot be had is an error, not an empty file.
    if (::fstat(fd_, &info) != 0) throw EStreamError(std::string("Stream size error. ") + std::strerror(errno));
    return info;
  }

  int fd_;
  struct stat atOpen_;
  bool readOnly_;
  off_t position_ = 0;
};

class TPlainPlatform final : public IArchivePlatform {
public:
  std::unique_ptr<TPlatformFileStream> OpenFile(const std::string& path, TFileAccess access,
                                                TFileShare) override {
    int flags = O_RDONLY;
    if (access == TFileAccess::ReadWrite) flags = O_RDWR;
    if (access == TFileAccess::Create) flags = O_RDWR | O_CREAT | O_TRUNC;
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0644);
    if (fd < 0) {
      const std::string reason = std::strerror(errno);
      if (access == TFileAccess::Create) throw EFOpenError("Cannot create file \"" + path + "\". " + reason);
      throw EFOpenError("Cannot open file \"" + path + "\". " + reason);
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
      const std::string reason = S_ISDIR(info.st_mode) ? "Is a directory" : std::strerror(errno);
      ::close(fd);
      throw EFOpenError("Cannot open file \"" + path + "\". " + reason);
    }
    return std::make_unique<TPosixFileStream>(fd, info, access == TFileAccess::Read);
  }

  bool FileExists(const std::string& path) override {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
  }

  bool DirectoryExists(const std::string& path) override {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
  }

  bool FileModificationTime(const std::string& path, std::int64_t& time) override {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return false;
    time = ModificationStamp(info);
    return true;
  }

  void ProcessMessages() override {}
  void Sleep(unsigned milliseconds) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }
  int ShowMessage(const std::string&, const std::string&, unsigned, bool) override {
    // No one to ask: a question is answered with Cancel.
    return MessageBoxFlags::IdCancel;
  }
  bool ChooseFileToOpen(const std::string&, const std::string&, const std::string&, std::string&) override {
    return false;
  }

  bool OemToAnsi(const std::string& oem, std::string& ansi) override {
    ansi = oem;
    return true;
  }
  bool AnsiToOem(const std::string& ansi, std::string& oem) override {
    oem = ansi;
    return true;
  }
  std::string Utf8ToAnsi(const std::string& utf8) override { return utf8; }
  std::string AnsiLowerCase(const std::string& text) override {
    std::string lower = text;
    for (char& c : lower)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return lower;
  }
  bool AnsiSameText(const std::string& a, const std::string& b) override {
    return AnsiLowerCase(a) == AnsiLowerCase(b);
  }

  TDriveType DriveType(const std::string&) override { return TDriveType::Fixed; }
  std::string VolumeLabel(const std::string&) override { return {}; }
};

}  // namespace

IArchivePlatform& DefaultArchivePlatform() {
  static TPlainPlatform platform;
  return platform;
}
