// Plain platform for native builds (tests, tools, fuzzing): POSIX files, no
// message loop, no dialogs, and 8-bit names taken as they are (the native
// system code page is UTF-8, so OEM, ANSI and UTF-8 names coincide).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <chrono>
#include <thread>

#include "Exception.h"
#include "../Platform.h"

namespace {

class TPosixFileStream final : public TPlatformFileStream {
public:
  explicit TPosixFileStream(int fd) : fd_(fd) {}
  ~TPosixFileStream() override { ::close(fd_); }

  std::size_t Read(void* buffer, std::size_t count) override {
    std::size_t done = 0;
    while (done < count) {
      const ssize_t n = ::read(fd_, static_cast<char*>(buffer) + done, count - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
    return done;
  }

  std::size_t Write(const void* buffer, std::size_t count) override {
    std::size_t done = 0;
    while (done < count) {
      const ssize_t n = ::write(fd_, static_cast<const char*>(buffer) + done, count - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
    return done;
  }

  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override {
    int whence;
    switch (origin) {
      case TSeekOrigin::soBeginning: whence = SEEK_SET; break;
      case TSeekOrigin::soCurrent: whence = SEEK_CUR; break;
      case TSeekOrigin::soEnd: whence = SEEK_END; break;
      default: throw EStreamError(FormatWithInt("Invalid seek origin (%d)", static_cast<int>(origin)));
    }
    const off_t result = ::lseek(fd_, static_cast<off_t>(offset), whence);
    if (result < 0) return ::lseek(fd_, 0, SEEK_CUR);  // a failed seek leaves the position
    return result;
  }

  std::int64_t Size() override {
    struct stat info {};
    // A size that cannot be had is an error, not an empty file.
    if (::fstat(fd_, &info) != 0) throw EStreamError(std::string("Stream size error. ") + std::strerror(errno));
    return static_cast<std::int64_t>(info.st_size);
  }

  void SetSize(std::int64_t newSize) override {
    if (::ftruncate(fd_, static_cast<off_t>(newSize)) != 0) throw EStreamError("Stream size error");
  }

  void FlushToDevice() override { ::fsync(fd_); }

private:
  int fd_;
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
    if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
      ::close(fd);
      throw EFOpenError("Cannot open file \"" + path + "\". Is a directory");
    }
    return std::make_unique<TPosixFileStream>(fd);
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
    // Size and inode join the time so that a replacement within the same
    // clock tick is still noticed.
    time = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec;
    time ^= static_cast<std::int64_t>(info.st_size) << 17;
    time ^= static_cast<std::int64_t>(info.st_ino) << 29;
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
