#include "ResumeFile.h"

#include <windows.h>

#include <algorithm>

#include "FileSystem.h"
#include "PathText.h"
#include "SharedRoutines.h"
#include "WideText.h"
#include "Win32Handles.h"

namespace {

constexpr const char* kResumeFileName = "resume.txt";
// Far above what 200 books' lines take, yet small enough to read at once.
constexpr std::size_t kLargestFile = 8u << 20;

bool WriteAll(HANDLE file, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) return false;
    done += written;
  }
  return FlushFileBuffers(file) != FALSE;
}

}  // namespace

std::string ResumeFileBeside(const std::string& recentListFile) {
  return ExtractFilePath(recentListFile) + kResumeFileName;
}

TResumePages ReadResumeFile(const std::string& file) {
  TFileHandle handle(CreateFileW(TextToWide(file).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (handle.get() == INVALID_HANDLE_VALUE) return TResumePages();
  const std::optional<std::string> text = ReadWholeFile(handle.get(), kLargestFile);
  return text ? TResumePages::Parse(*text) : TResumePages();
}

bool WriteResumeFile(const std::string& file, const TResumePages& pages) {
  const std::wstring target = TextToWide(file);
  const std::string folderText = FolderPart(file);
  const std::wstring folder = folderText.empty() ? L"." : TextToWide(folderText);
  // A name of its own in the same folder: two readers ending at once must not
  // write into one temporary, and the move stays on one volume.
  wchar_t temporary[MAX_PATH] = {};
  if (!GetTempFileNameW(folder.c_str(), L"rsm", 0, temporary)) return false;
  bool written = false;
  {
    TFileHandle handle(
        CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    written = handle.get() != INVALID_HANDLE_VALUE && WriteAll(handle.get(), pages.Serialize());
  }
  if (written && MoveFileExW(temporary, target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  DeleteFileW(temporary);
  return false;
}

std::optional<TBookIdentity> BookIdentityOf(const std::string& path) {
  const std::wstring full = FullPathWide(TextToWide(path));
  if (full.empty()) return std::nullopt;
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(full.c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return std::nullopt;
  TBookIdentity book;
  book.path = WideToUtf8(full);
  book.size = (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
  book.modified = (std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) | data.ftLastWriteTime.dwLowDateTime;
  return book;
}
