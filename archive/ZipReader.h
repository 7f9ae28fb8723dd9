// TZipReader: reads a ZIP archive's directory and extracts entries, chosen by
// name pattern, into a caller's stream. Copes with damaged and multi-part
// archives. Single-threaded; yields to the window message loop during long
// operations when DoProcessMessages is set.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "BufferStream.h"
#include "EntryNameIndex.h"
#include "LoadedDirectory.h"
#include "Platform.h"
#include "SortedZip.h"
#include "Stream.h"
#include "ZipExceptions.h"
#include "ZipHeaderInfo.h"

enum class TIncompleteZipMode { izAssumeMulti, izAssumeBad, izAssumeNotAZip };
enum class TZipMultiDiskMode { mdNone, mdSpanned, mdBlocks };
enum class TSplitPartType { spFirst, spMiddle, spLast };
enum class TBlockMode { bmStandard, bmClassic };
enum class TSkipReason {
  srBadPassword,
  srNoOverwrite,
  srFileOpenError,
  srCreateError,
  srExcludeList,
  srArchiveBitNotSet,
  srNoFileToFreshen,
  srSkippedInStartZip
};
enum class TUZOverwriteMode { Prompt, Always, Never, ifNewer, ifOlder };

class TZipReader;

// Event types. Parameters passed by non-const reference are in-out.
using TInCompleteZipEvent = std::function<void(TZipReader* sender, TIncompleteZipMode& mode)>;
using TGetNextDiskEvent = std::function<void(TZipReader* sender, int nextDisk, std::string& fileName)>;
using TFileNameForSplitPartEvent =
    std::function<void(TZipReader* sender, std::string& fileName, int partNumber, TSplitPartType splitType)>;
using THandleMessageEvent =
    std::function<void(TZipReader* sender, int messageId, const std::string& msg1, const std::string& msg2,
                       unsigned flags, int& result)>;
using TStartUnZipInfoEvent =
    std::function<void(TZipReader* sender, int numFiles, std::int64_t totalBytes, bool& stopNow)>;
using TStartUnZipEvent = std::function<void(TZipReader* sender, int fileIndex, std::string& fileName, bool& skip)>;
using TEndUnZipEvent = std::function<void(TZipReader* sender, int fileIndex, const std::string& fileName)>;
using TSkippingFileEvent = std::function<void(TZipReader* sender, TSkipReason reason, const std::string& fileName,
                                              int fileIndex, bool& retry)>;
using TBadPasswordEvent = std::function<void(TZipReader* sender, int fileIndex, std::string& newPassword)>;
using TBadCRCEvent =
    std::function<void(TZipReader* sender, std::uint32_t calcCRC, std::uint32_t storedCRC, int fileIndex)>;
using TPercentDoneEvent = std::function<void(TZipReader* sender, int percent)>;
using TUnZipCompleteEvent = std::function<void(TZipReader* sender, int fileCount)>;
using TDecryptEvent = std::function<void(TZipReader* sender, std::uint8_t* buffer, std::size_t length,
                                         const std::string& password)>;
using TPromptForOverwriteEvent =
    std::function<void(TZipReader* sender, bool& overwriteIt, int fileIndex, std::string& fileName)>;
using TGetNextBufferEvent = std::function<void(TZipReader* sender, std::uint8_t*& buffer, const std::string& fileName,
                                               int& amountUsed, int bufferNumber, bool& quit)>;

class TZipReader {
public:
  TZipReader();
  // Tests and tools may supply another platform implementation.
  explicit TZipReader(IArchivePlatform& platform);
  TZipReader(const TZipReader&) = delete;
  TZipReader& operator=(const TZipReader&) = delete;
  ~TZipReader();

  // ---- Directory -------------------------------------------------------
  const std::string& ZipName() const { return zipName_; }
  // Same name in another letter case keeps the loaded directory. A name
  // ending in "?" asks the user with an open-file dialog.
  void SetZipName(const std::string& name);

  // Loads the directory unless it is loaded and the file is unchanged.
  void ReadZipDirectory();

  int EntryCount() const;
  // Directory + file name of view entry index, with '\' separators.
  std::string EntryFullName(int index) const;
  std::string EntryFileName(int index) const;
  std::string EntryComment(int index);
  std::string ArchiveComment();
  // The view entry itself (read-only), for tools that show every field.
  const TZipHeaderInfo& Entry(int index) const;
  // View index of the first entry whose full name is exactly fullName
  // ('\' separators, letter case as stored); -1 when there is none.
  int FindEntry(const std::string& fullName) const;

  TZipSortMode SortMode() const { return sortMode_; }
  void SetSortMode(TZipSortMode mode) { sortMode_ = mode; }
  TIncompleteZipMode IncompleteZipMode() const { return incompleteZipMode_; }
  void SetIncompleteZipMode(TIncompleteZipMode mode) { incompleteZipMode_ = mode; }
  bool KeepZipOpen() const { return keepZipOpen_; }
  void SetKeepZipOpen(bool keep) { keepZipOpen_ = keep; }
  bool DoProcessMessages() const { return doProcessMessages_; }
  void SetDoProcessMessages(bool process) { doProcessMessages_ = process; }
  TOEMConvert OEMConvert() const { return oemConvert_; }
  void SetOEMConvert(TOEMConvert mode) { oemConvert_ = mode; }
  bool FlushFilesOnClose() const { return flushFilesOnClose_; }
  void SetFlushFilesOnClose(bool flush) { flushFilesOnClose_ = flush; }
  TBlockMode BlockMode() const { return blockMode_; }
  void SetBlockMode(TBlockMode mode) { blockMode_ = mode; }
  bool CheckDiskLabel() const { return checkDiskLabel_; }
  void SetCheckDiskLabel(bool check) { checkDiskLabel_ = check; }

  // Version properties are fixed; assignments are ignored.
  int ThisVersion() const { return 451; }
  void SetThisVersion(int) {}
  int ThisBuild() const { return 1; }
  void SetThisBuild(int) {}
  std::string ThisReleaseLevel() const { return "Release"; }
  void SetThisReleaseLevel(const std::string&) {}

  bool DirectoryRebuilt() const { return directoryRebuilt_; }
  bool ArchiveDamaged() const { return archiveDamaged_; }
  bool ArchiveFromStream() const { return false; }
  TZipMultiDiskMode MultiDiskMode() const { return multiDiskMode_; }
  int NumberOfDisks() const { return numberOfDisks_; }
  int CurrentDisk() const { return currentDisk_; }
  bool Busy() const { return busy_; }
  const TEndCentral& EndCentral() const { return endCentral_; }

  bool CancelRequested() const { return cancelRequested_; }
  void SetCancelRequested(bool cancel) { cancelRequested_ = cancel; }
  bool PauseRequested() const { return pauseRequested_; }
  void SetPauseRequested(bool pause) { pauseRequested_ = pause; }

  static constexpr std::size_t StreamBufferSize = 8192;

  // ---- Extraction ------------------------------------------------------
  // Writes the entries matching name (a pattern, '\' separators) into stream,
  // each from the stream's start; returns how many extracted with a good CRC.
  int UnpackToStream(TStream* stream, const std::string& name);
  // The same for view entry index alone, whatever its name; a folder entry
  // only with RecreateDirs. Returns 1 when it extracted with a good CRC. A
  // bad index raises EListError.
  int UnpackEntryToStream(TStream* stream, int index);
  // View entries first .. first + count - 1 in turn, each from the stream's
  // start, in one pass over the archive; returns how many came out with a
  // good CRC. A range outside the list raises EListError.
  int UnpackEntriesToStream(TStream* stream, int first, int count);

  const std::string& Password() const { return password_; }
  void SetPassword(const std::string& password) { password_ = password; }
  std::vector<std::string>& FilesList() { return filesList_; }
  std::vector<std::string>& RelativePathList() { return relativePathList_; }
  bool DoAll() const { return doAll_; }
  void SetDoAll(bool all) { doAll_ = all; }
  bool RecreateDirs() const { return recreateDirs_; }
  void SetRecreateDirs(bool recreate) { recreateDirs_ = recreate; }
  const std::string& DestDir() const { return destDir_; }
  void SetDestDir(const std::string& dir);
  const std::string& RootDir() const { return rootDir_; }
  void SetRootDir(const std::string& dir);
  TUZOverwriteMode OverwriteMode() const { return overwriteMode_; }
  void SetOverwriteMode(TUZOverwriteMode mode) { overwriteMode_ = mode; }
  bool RetainAttributes() const { return retainAttributes_; }
  void SetRetainAttributes(bool retain) { retainAttributes_ = retain; }
  bool ReplaceReadOnly() const { return replaceReadOnly_; }
  void SetReplaceReadOnly(bool replace) { replaceReadOnly_ = replace; }

  // Case-insensitive wildcard match of an entry path (see UnpackToStream).
  bool MatchPattern(const std::string& pattern, const std::string& name) const;

  // ---- Events ----------------------------------------------------------
  TInCompleteZipEvent OnInCompleteZip;
  TGetNextDiskEvent OnGetNextDisk;
  TFileNameForSplitPartEvent OnFileNameForSplitPart;
  THandleMessageEvent OnHandleMessage;
  TStartUnZipInfoEvent OnStartUnZipInfo;
  TStartUnZipEvent OnStartUnZip;
  TEndUnZipEvent OnEndUnZip;
  TSkippingFileEvent OnSkippingFile;
  TBadPasswordEvent OnBadPassword;
  TBadCRCEvent OnBadCRC;
  TPercentDoneEvent OnFilePercentDone;
  TPercentDoneEvent OnTotalPercentDone;
  TUnZipCompleteEvent OnUnZipComplete;
  TDecryptEvent OnDecrypt;
  TPromptForOverwriteEvent OnPromptForOverwrite;
  TGetNextBufferEvent OnGetNextBuffer;

private:
  // Remembers and restores the busy flag and operation mode around an operation.
  class TOperationScope {
  public:
    TOperationScope(TZipReader& reader, std::uint8_t mode);
    ~TOperationScope();
    TOperationScope(const TOperationScope&) = delete;
    TOperationScope& operator=(const TOperationScope&) = delete;

  private:
    TZipReader& reader_;
    bool oldBusy_;
    std::uint8_t oldMode_;
  };

  // Sets a flag for a scope and gives it back its value afterwards.
  class TFlagScope {
  public:
    TFlagScope(bool& flag, bool value) : flag_(flag), old_(flag) { flag_ = value; }
    ~TFlagScope() { flag_ = old_; }
    TFlagScope(const TFlagScope&) = delete;
    TFlagScope& operator=(const TFlagScope&) = delete;

  private:
    bool& flag_;
    bool old_;
  };

  enum : std::uint8_t { opNone = 0, opReadDirectory = 1, opUnpack = 2, opComment = 3 };

  // Archive file handling.
  void OpenArchive();                 // opens and (re)loads the directory when needed
  void CloseArchive();                // unless KeepZipOpen
  void CloseArchiveStream();          // regardless of KeepZipOpen
  void ClearArchive();                // forget everything, including ZipName
  void ResetDirectoryState();
  std::unique_ptr<TLFNFileStream> OpenArchiveFile(const std::string& path, TFileShare share);
  bool ArchiveFileTime(const std::string& path, std::int64_t& time) const;

  // Directory loading. The directory is read from the ".zfc" side file while
  // one is in use, else from the archive.
  TS_BufferStream& DirectoryStream() { return sideFile_ ? *sideFile_ : *archive_; }
  void LoadDirectory();
  bool LocateEndRecord(TStream& stream);
  void HandleMissingEndRecord(bool& usingSideFile);
  bool ReadCentralHeader(TZipHeaderInfo& entry, bool mayAskNextDisk);
  void ParseExtraField(TZipHeaderInfo& entry, const std::uint8_t* extra, std::size_t length);
  std::string ConvertOEMName(const std::string& stored, const TZipHeaderInfo& entry) const;
  void SortEntries(TZipSortMode mode);
  void FreeLists();
  void StartNewDirectory();  // an empty primary list, ready to be filled by a load
  std::string ReadCommentAt(std::uint64_t position, std::size_t length);
  void ReadEntryCommentNow(TZipHeaderInfo& entry);
  const TZipHeaderInfo& ViewEntry(int index) const;

  // Damaged and multi-part archives.
  // What names the parts of a set; an extraction keeps the one it started with.
  struct TPartSet {
    TZipMultiDiskMode Mode = TZipMultiDiskMode::mdNone;
    int Disks = 1;
    std::string Name;       // the archive (or the part last switched to)
    std::string NameNoExt;  // for the names of split parts
  };
  TPartSet PartSet() const { return {multiDiskMode_, numberOfDisks_, zipName_, zipNameNoExt_}; }
  bool RecoverFromLocalHeaders();
  bool ReadLocalHeader(TZipHeaderInfo& entry);
  void DecideMultiDiskMode();
  void SwitchToPart(int partNumber);  // 1-based
  // Asks for or derives the file of part partNumber (1-based) and opens it.
  std::unique_ptr<TLFNFileStream> OpenPart(const TPartSet& set, int partNumber, std::string& name);
  std::string SplitPartName(const TPartSet& set, int partNumber);
  std::string AskForDisk(const TPartSet& set, int partNumber);

  // Message loop and messages.
  void YieldToMessages();             // yield, then honour cancel and pause
  // For walks over entries: yields on the first call and then once per
  // block of entries, so that a long walk stays responsive without paying
  // for the message loop on every entry.
  static constexpr std::uint32_t kEntriesPerYield = 256;
  void YieldPerBlock(std::uint32_t& walked) {
    if (doProcessMessages_ && walked++ % kEntriesPerYield == 0) YieldToMessages();
  }
  // A directory load uses the reader's archive stream, end record and
  // multi-part state throughout, yields included: an operation started from
  // the message loop it yields to is refused rather than pull them from
  // under it.
  void RefuseWhileLoading() const;
  int ShowZipMessage(int messageId, const std::string& text, const std::string& caption, unsigned flags,
                     bool arrowCursor = false);

  IArchivePlatform& platform_;

  std::string zipName_;
  std::string zipNameNoExt_;
  std::unique_ptr<TLFNFileStream> archive_;
  std::unique_ptr<TLFNFileStream> sideFile_;  // the ".zfc" copy of the directory, while it is used
  std::shared_ptr<TLoadedDirectory> directory_;  // none until a directory is read
  TEndCentral endCentral_;
  std::int64_t fileTimeAtLoad_ = 0;
  bool directoryRebuilt_ = false;
  bool archiveDamaged_ = false;
  bool recoveryTried_ = false;
  TZipMultiDiskMode multiDiskMode_ = TZipMultiDiskMode::mdNone;
  int numberOfDisks_ = 1;
  int currentDisk_ = 0;
  bool cancelRequested_ = false;
  bool pauseRequested_ = false;
  bool busy_ = false;
  bool loadingDirectory_ = false;
  bool yieldingInLoad_ = false;  // the message loop runs from inside a directory load
  std::uint8_t operationMode_ = opNone;

  TZipSortMode sortMode_ = TZipSortMode::ByNone;
  TIncompleteZipMode incompleteZipMode_ = TIncompleteZipMode::izAssumeMulti;
  bool keepZipOpen_ = false;
  bool doProcessMessages_ = true;
  TOEMConvert oemConvert_ = TOEMConvert::oemAlways;
  bool flushFilesOnClose_ = false;
  TBlockMode blockMode_ = TBlockMode::bmStandard;
  bool checkDiskLabel_ = true;

  std::string password_;
  std::vector<std::string> filesList_;
  std::vector<std::string> relativePathList_;
  bool doAll_ = false;
  bool recreateDirs_ = false;
  std::string destDir_;
  std::string rootDir_;
  TUZOverwriteMode overwriteMode_ = TUZOverwriteMode::Prompt;
  bool retainAttributes_ = true;
  bool replaceReadOnly_ = false;

  // ---- Extraction (archive/ZipReaderUnpack.cpp, archive/UnpackSession.cpp)
  // Everything an extraction changes lives in its own TUnpackSession; the
  // reader keeps only what outlasts a call.
  std::vector<TZipHeaderInfo*> markedForExtract_;  // MatchedForExtract set by the last selection
  int Extract(TStream* stream, const std::string& name, int first, int count);  // by name when count is 0
  friend class TUnpackSession;
};
