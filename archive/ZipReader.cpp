// TZipReader: component state, the archive file's life, the public
// directory questions and comments on demand.
#include "ZipReader.h"

#include "ByteOrder.h"
#include "PathText.h"

#include <algorithm>

TZipReader::TOperationScope::TOperationScope(TZipReader& reader, std::uint8_t mode)
    : reader_(reader), oldBusy_(reader.busy_), oldMode_(reader.operationMode_) {
  reader_.busy_ = true;
  reader_.operationMode_ = mode;
}

TZipReader::TOperationScope::~TOperationScope() {
  reader_.busy_ = oldBusy_;
  reader_.operationMode_ = oldMode_;
}

TZipReader::TZipReader() : TZipReader(DefaultArchivePlatform()) {}

TZipReader::TZipReader(IArchivePlatform& platform) : platform_(platform) {}

TZipReader::~TZipReader() { ClearArchive(); }

void TZipReader::SetZipName(const std::string& name) {
  if (platform_.AnsiSameText(name, zipName_)) return;
  RefuseWhileLoading();
  std::string chosen = name;
  if (!name.empty() && name.back() == '?') {
    std::string folder = FolderPart(name.substr(0, name.size() - 1));
    if (folder.empty() || !platform_.DirectoryExists(folder)) folder = "C:\\";
    if (!platform_.ChooseFileToOpen("Open a Zip File",
                                    "Zip Files (*.ZIP)|*.zip|SFX Files (*.EXE)|*.exe|Jar Files (*.JAR)|*.jar|"
                                    "All Files (*.*)|*.*",
                                    folder, chosen))
      throw EUserCanceled(ZipMessages::CanceledZipName);
  }
  zipName_ = chosen;
  zipNameNoExt_ = WithoutExtension(chosen);
  ResetDirectoryState();
}

void TZipReader::ResetDirectoryState() {
  FreeLists();
  endCentral_.Reset();
  CloseArchiveStream();
  directoryRebuilt_ = false;
  recoveryTried_ = false;
  numberOfDisks_ = 1;
  currentDisk_ = 0;
  multiDiskMode_ = TZipMultiDiskMode::mdNone;
}

std::unique_ptr<TLFNFileStream> TZipReader::OpenArchiveFile(const std::string& path, TFileShare share) {
  return std::make_unique<TLFNFileStream>(platform_, path, StreamBufferSize, flushFilesOnClose_, TFileAccess::Read,
                                          share);
}

bool TZipReader::ArchiveFileTime(const std::string& path, std::int64_t& time) const {
  return platform_.FileModificationTime(path, time);
}

void TZipReader::RefuseWhileLoading() const {
  if (yieldingInLoad_) throw EZipReaderException(ZipMessages::DirectoryBeingRead);
}

void TZipReader::OpenArchive() {
  RefuseWhileLoading();
  const bool openedNow = !archive_;
  if (openedNow) archive_ = OpenArchiveFile(zipName_, TFileShare::DenyWrite);
  if (directory_) {
    // A file opened just now is the one its name stands for, so its own time
    // spares a second look-up of the path on every extraction.
    std::int64_t time = 0;
    const bool known = (openedNow && archive_->ModificationTime(time)) || ArchiveFileTime(zipName_, time);
    if (known && time == fileTimeAtLoad_) return;
  }
  LoadDirectory();
}

void TZipReader::CloseArchive() {
  if (!keepZipOpen_) CloseArchiveStream();
}

void TZipReader::CloseArchiveStream() {
  sideFile_.reset();
  archive_.reset();
}

void TZipReader::ClearArchive() {
  ResetDirectoryState();
  zipName_.clear();
  zipNameNoExt_.clear();
}

void TZipReader::FreeLists() {
  // A running extraction keeps its own reference to the lists.
  markedForExtract_.clear();
  directory_.reset();
}

void TZipReader::StartNewDirectory() {
  FreeLists();
  IArchivePlatform& platform = platform_;
  directory_ = std::make_shared<TLoadedDirectory>(
      [&platform](const std::string& name) { return platform.AnsiLowerCase(name); });
  directory_->Primary = std::make_unique<TSortedZip>(TZipSortMode::ByNone, TDuplicates::dupError, true);
  directory_->View = directory_->Primary.get();
}

int TZipReader::FindEntry(const std::string& fullName) const {
  if (EntryCount() == 0) return -1;
  return directory_->NameIndex(*directory_->View).FirstExact(fullName);
}

void TZipReader::ReadZipDirectory() {
  RefuseWhileLoading();
  cancelRequested_ = false;
  archiveDamaged_ = false;
  TOperationScope scope(*this, opReadDirectory);
  try {
    for (;;) {
      try {
        OpenArchive();
        break;
      } catch (const EIncompleteZip&) {
        CloseArchiveStream();
        if (!OnInCompleteZip) break;  // absorbed: no entry list
      }
    }
  } catch (...) {
    ClearArchive();
    throw;
  }
  CloseArchive();
}

int TZipReader::EntryCount() const { return directory_ ? directory_->Count() : 0; }

const TZipHeaderInfo& TZipReader::ViewEntry(int index) const {
  if (index < 0 || index >= EntryCount() || directory_->View == nullptr)
    throw EListError(FormatWithInt(ZipMessages::IndexOutOfRange, index));
  return *directory_->View->Get(index);
}

const TZipHeaderInfo& TZipReader::Entry(int index) const { return ViewEntry(index); }

std::string TZipReader::EntryFullName(int index) const { return ViewEntry(index).FullName(); }

std::string TZipReader::EntryFileName(int index) const { return ViewEntry(index).FileName; }

std::string TZipReader::ReadCommentAt(std::uint64_t position, std::size_t length) {
  TS_BufferStream& stream = DirectoryStream();
  const std::int64_t back = stream.Position();
  stream.Seek(static_cast<std::int64_t>(position), TSeekOrigin::soBeginning);
  std::string text(length, '\0');
  text.resize(stream.Read(text.data(), length));
  stream.Seek(back, TSeekOrigin::soBeginning);
  return text;
}

void TZipReader::ReadEntryCommentNow(TZipHeaderInfo& entry) {
  TS_BufferStream& stream = DirectoryStream();
  const std::int64_t back = stream.Position();
  stream.Seek(static_cast<std::int64_t>(entry.CentralHeaderPosition), TSeekOrigin::soBeginning);
  std::uint8_t record[ZipRecordSizes::CentralHeader];
  std::string text;
  if (stream.Read(record, sizeof record) == sizeof record) {
    stream.Seek(GetU16(record + 28) + GetU16(record + 30), TSeekOrigin::soCurrent);
    text.assign(GetU16(record + 32), '\0');
    text.resize(stream.Read(text.data(), text.size()));
  }
  stream.Seek(back, TSeekOrigin::soBeginning);
  entry.FileComment = text;
  entry.FileCommentRead = true;
}

std::string TZipReader::EntryComment(int index) {
  if (ViewEntry(index).FileCommentLength == 0) return {};
  if (ViewEntry(index).FileCommentRead) return ViewEntry(index).FileComment;
  RefuseWhileLoading();
  TOperationScope scope(*this, opComment);
  std::string comment;
  try {
    OpenArchive();
    // Opening may have reloaded a changed archive: ask again.
    auto& entry = const_cast<TZipHeaderInfo&>(ViewEntry(index));
    if (entry.FileCommentLength != 0 && !entry.FileCommentRead) ReadEntryCommentNow(entry);
    comment = entry.FileComment;
  } catch (...) {
    if (multiDiskMode_ == TZipMultiDiskMode::mdNone) CloseArchive();
    throw;
  }
  if (multiDiskMode_ == TZipMultiDiskMode::mdNone) CloseArchive();
  return comment;
}

std::string TZipReader::ArchiveComment() {
  if (endCentral_.CommentLength == 0) return {};
  if (endCentral_.CommentRead) return endCentral_.Comment;
  RefuseWhileLoading();
  TOperationScope scope(*this, opComment);
  try {
    OpenArchive();
    if (endCentral_.CommentLength != 0 && !endCentral_.CommentRead) {
      endCentral_.Comment = ReadCommentAt(endCentral_.CommentPosition, endCentral_.CommentLength);
      endCentral_.CommentRead = true;  // the modified flag stays as it was
    }
  } catch (...) {
    if (multiDiskMode_ == TZipMultiDiskMode::mdNone) CloseArchive();
    throw;
  }
  if (multiDiskMode_ == TZipMultiDiskMode::mdNone) CloseArchive();
  return endCentral_.Comment;
}

void TZipReader::SortEntries(TZipSortMode mode) {
  if (!directory_) return;
  TLoadedDirectory& directory = *directory_;
  directory.ForgetViewIndex();
  directory.OwnedView.reset();
  directory.View = directory.Primary.get();
  if (mode == TZipSortMode::ByNone || !directory.Primary) return;
  const TSortedZip& primary = *directory.Primary;

  // Equivalent to inserting every entry in physical order by binary search
  // (an equal entry goes before those already listed), without the
  // quadratic cost of inserting into the middle of a long array.
  std::vector<TZipHeaderInfo*> order;
  order.reserve(static_cast<std::size_t>(primary.Count()));
  for (int i = 0; i < primary.Count(); ++i) order.push_back(primary.Get(i));

  // Modes whose comparison can answer "equal" list a later entry before an
  // earlier equal one; the others keep insertion order for ties.
  const bool tiesReversed = mode == TZipSortMode::ByName || mode == TZipSortMode::ByFileName ||
                            mode == TZipSortMode::ByDirectoryName || mode == TZipSortMode::ByRate;
  if (tiesReversed) std::reverse(order.begin(), order.end());
  const TSortedZip probe(mode, TDuplicates::dupAccept, false);
  std::stable_sort(order.begin(), order.end(),
                   [&probe](const TZipHeaderInfo* a, const TZipHeaderInfo* b) { return probe.SortsBefore(a, b); });
  directory.OwnedView = std::make_unique<TSortedZip>(mode, TDuplicates::dupAccept, false);
  for (TZipHeaderInfo* entry : order) directory.OwnedView->AppendInOrder(entry);
  directory.View = directory.OwnedView.get();
}

void TZipReader::YieldToMessages() {
  // Handlers the load itself calls (a missing part, a split part's name) may
  // still set things up for it; only what the message loop runs is refused.
  const TFlagScope yielding(yieldingInLoad_, yieldingInLoad_ || loadingDirectory_);
  platform_.ProcessMessages();
  if (cancelRequested_) {
    cancelRequested_ = false;
    throw EUserCanceled(ZipMessages::UserAborted);
  }
  while (pauseRequested_) {
    platform_.Sleep(1000);
    platform_.ProcessMessages();
  }
}

int TZipReader::ShowZipMessage(int messageId, const std::string& text, const std::string& caption, unsigned flags,
                               bool arrowCursor) {
  if (OnHandleMessage) {
    int result = 0;
    OnHandleMessage(this, messageId, text, caption, flags, result);
    return result;
  }
  return platform_.ShowMessage(text, caption, flags, arrowCursor);
}
