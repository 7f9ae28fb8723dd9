#include "MemoryPlatform.h"

#include <algorithm>
#include <cstring>

#include "Exception.h"

namespace testsupport {

namespace {

// Reads one held file; writes are refused, as on a read-only file.
class TMemoryFileStream final : public TPlatformFileStream {
public:
  TMemoryFileStream(std::shared_ptr<const std::string> bytes, std::int64_t version, std::vector<std::size_t>& reads)
      : bytes_(std::move(bytes)), version_(version), reads_(reads) {}

  std::size_t Read(void* buffer, std::size_t count) override {
    reads_.push_back(count);
    if (position_ >= bytes_->size()) return 0;
    const std::size_t n = std::min(count, bytes_->size() - position_);
    std::memcpy(buffer, bytes_->data() + position_, n);
    position_ += n;
    return n;
  }
  std::size_t Write(const void*, std::size_t) override { return 0; }
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override {
    const std::int64_t base = origin == TSeekOrigin::soBeginning ? 0
                              : origin == TSeekOrigin::soCurrent ? static_cast<std::int64_t>(position_)
                                                                 : Size();
    // A seek before the start fails and leaves the position, as the system's does.
    if (offset >= -base) position_ = static_cast<std::size_t>(base + offset);
    return static_cast<std::int64_t>(position_);
  }
  std::int64_t Size() override { return static_cast<std::int64_t>(bytes_->size()); }
  void FlushToDevice() override {}
  bool ModificationTime(std::int64_t& time) override {
    time = version_;
    return true;
  }

private:
  std::shared_ptr<const std::string> bytes_;
  std::int64_t version_;
  std::vector<std::size_t>& reads_;
  std::size_t position_ = 0;
};

}  // namespace

void TMemoryPlatform::PutFile(const std::string& name, std::string bytes) {
  files_[name] = TFile{std::make_shared<const std::string>(std::move(bytes)), ++versions_};
}

const TMemoryPlatform::TFile* TMemoryPlatform::Held(const std::string& path) const {
  const auto found = files_.find(path);
  return found == files_.end() ? nullptr : &found->second;
}

std::string TMemoryPlatform::OnDisk(const std::string& path) const {
  if (DriveFolder.empty() || path.size() < 3 || path[1] != ':') return path;
  std::string rest = path.substr(3);
  std::replace(rest.begin(), rest.end(), '\\', '/');
  return DriveFolder + "/" + rest;
}

std::unique_ptr<TPlatformFileStream> TMemoryPlatform::OpenFile(const std::string& path, TFileAccess access,
                                                               TFileShare share) {
  if (const TFile* held = Held(path)) return std::make_unique<TMemoryFileStream>(held->Bytes, held->Version, Reads);
  if (!SystemFiles) throw EFOpenError("Cannot open file \"" + path + "\".");
  return System().OpenFile(OnDisk(path), access, share);
}

bool TMemoryPlatform::FileExists(const std::string& path) {
  return Held(path) || (SystemFiles && System().FileExists(OnDisk(path)));
}

bool TMemoryPlatform::DirectoryExists(const std::string& path) {
  return SystemFiles && System().DirectoryExists(OnDisk(path));
}

bool TMemoryPlatform::FileModificationTime(const std::string& path, std::int64_t& time) {
  if (const TFile* held = Held(path)) {
    time = held->Version;
    return true;
  }
  return SystemFiles && System().FileModificationTime(OnDisk(path), time);
}

int TMemoryPlatform::ShowMessage(const std::string& text, const std::string&, unsigned, bool) {
  ++Messages;
  LastMessage = text;
  return MessageAnswer;
}

bool TMemoryPlatform::ChooseFileToOpen(const std::string&, const std::string&, const std::string& initialDir,
                                       std::string& chosen) {
  DialogInitialDir = initialDir;
  if (DialogAccepts) chosen = DialogChoice;
  return DialogAccepts;
}

bool TMemoryPlatform::OemToAnsi(const std::string& oem, std::string& ansi) {
  if (!TagCodePages) return System().OemToAnsi(oem, ansi);
  ansi = "oem-" + oem;
  return true;
}

bool TMemoryPlatform::AnsiToOem(const std::string& ansi, std::string& oem) {
  if (!TagCodePages) return System().AnsiToOem(ansi, oem);
  oem = ansi.rfind("oem-", 0) == 0 ? ansi.substr(4) : ansi;
  std::replace(oem.begin(), oem.end(), '~', '?');
  return true;
}

std::string TMemoryPlatform::Utf8ToAnsi(const std::string& utf8) {
  return TagCodePages ? "utf8-" + utf8 : System().Utf8ToAnsi(utf8);
}

}  // namespace testsupport
