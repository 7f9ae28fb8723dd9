// Extraction of entries into a caller's stream: the public calls and what
// every call does around its session (archive/UnpackSession.cpp).
#include <algorithm>
#include <filesystem>

#include "UnpackPattern.h"
#include "UnpackSession.h"
#include "ZipReader.h"

namespace {

bool IsBlank(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) <= ' '; });
}

}  // namespace

int TZipReader::UnpackToStream(TStream* stream, const std::string& name) {
  if (!stream || IsBlank(name)) return 0;
  return Extract(stream, name, 0, 0);
}

int TZipReader::UnpackEntryToStream(TStream* stream, int index) { return UnpackEntriesToStream(stream, index, 1); }

int TZipReader::UnpackEntriesToStream(TStream* stream, int first, int count) {
  if (!stream || count == 0) return 0;
  if (count < 0) throw EListError(FormatWithInt(ZipMessages::IndexOutOfRange, count));
  return Extract(stream, std::string(), first, count);
}

int TZipReader::Extract(TStream* stream, const std::string& name, int first, int count) {
  RefuseWhileLoading();
  TOperationScope scope(*this, opUnpack);
  cancelRequested_ = false;
  auto restore = [&] {
    filesList_.clear();
    CloseArchive();
    cancelRequested_ = false;
  };
  try {
    OpenArchive();
    // Indices count in the directory as it stands now: a changed file has just been read again.
    std::vector<int> wanted;
    if (count > 0) {
      ViewEntry(first);  // raises for a range outside the list
      if (count > EntryCount() - first) ViewEntry(EntryCount());
      wanted.resize(static_cast<std::size_t>(count));
      for (int i = 0; i < count; ++i) wanted[static_cast<std::size_t>(i)] = first + i;
    }
    const std::vector<std::string> patterns = count > 0 ? std::vector<std::string>{} : std::vector<std::string>{name};
    int extracted = 0;
    {
      TUnpackSession session(*this, *stream);
      try {
        if (!destDir_.empty() && !platform_.DirectoryExists(destDir_)) std::filesystem::create_directories(destDir_);
        extracted = session.Run(patterns, wanted);
      } catch (...) {
        if (OnUnZipComplete) OnUnZipComplete(this, session.Succeeded());
        throw;
      }
      if (OnUnZipComplete) OnUnZipComplete(this, extracted);
    }
    restore();
    return extracted;
  } catch (...) {
    restore();
    throw;
  }
}

bool TZipReader::MatchPattern(const std::string& pattern, const std::string& name) const {
  return MatchWildcard(platform_.AnsiLowerCase(pattern), platform_.AnsiLowerCase(name));
}

void TZipReader::SetDestDir(const std::string& dir) {
  destDir_ = dir;
  if (destDir_ == "?") {
    // Choosing a folder interactively belongs to extraction onto disk, which
    // this reader never performs; the answer is the same as a cancel.
    destDir_.clear();
    throw EUserCanceled("User canceled Set Desination Directory");
  }
  if (!destDir_.empty() && destDir_.back() == '\\') destDir_.pop_back();
}

void TZipReader::SetRootDir(const std::string& dir) {
  rootDir_ = dir;
  if (!rootDir_.empty() && rootDir_.back() != '\\') rootDir_ += '\\';
  relativePathList_.assign(1, rootDir_);
}
