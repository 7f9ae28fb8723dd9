// The main window's answers to the player's requests for the files of the
// open book: every answer comes from the archive, in memory. An entry whose
// bytes fail their check is declined as if missing, so the player shows its
// placeholder instead of damaged data, and the log says which and why.
#include <cstdio>
#include <exception>
#include <string>

#include "ULog.h"
#include "UfrmMain.h"
#include "WideText.h"
#include "ZipReader.h"

namespace {

// Only the archive reader knows why an entry failed: its reports go to the
// log beside the entry's name, ahead of the line that declines the request.
void LogEntryFailures(TZipReader& reader) {
  reader.OnBadCRC = [](TZipReader* sender, std::uint32_t computed, std::uint32_t stored, int index) {
    char crcs[64];
    std::snprintf(crcs, sizeof crcs, "computed %08X, stored %08X", static_cast<unsigned>(computed),
                  static_cast<unsigned>(stored));
    const std::string name = index >= 0 && index < sender->EntryCount() ? sender->EntryFullName(index) : "?";
    TLog4DP::Log("Entry [" + name + "] fails its CRC check: " + crcs);
  };
  reader.OnSkippingFile = [](TZipReader*, TSkipReason reason, const std::string& name, int, bool&) {
    if (reason == TSkipReason::srBadPassword)
      TLog4DP::Log("Entry [" + name + "] fails its password or authentication check");
  };
}

}  // namespace

std::unique_ptr<TMemoryStream> TfrmMain::SoundEntry(const std::string& name) {
  auto entry = std::make_unique<TMemoryStream>();
  try {
    if (zipReader_) LogEntryFailures(*zipReader_);
    if (ExtractEntryToStream(name, *entry)) return entry;
    TLog4DP::Log("Declined [" + name + "]: its bytes fail their check");
  } catch (const std::exception& error) {
    TLog4DP::Log("Declined [" + name + "]: " + error.what());
  }
  return nullptr;
}

void TfrmMain::ContentProviderRequest(const std::wstring& URL, TStream* Stream, bool& Handled) {
  const std::string name = WideToAnsi(URL);
  TLog4DP::Log("ContentProvider url[" + name + "]");
  if (!Stream || FindBookEntry(name) == 0) return;
  // The stream forwards to the player as it is written: only sound bytes go in.
  std::unique_ptr<TMemoryStream> entry = SoundEntry(name);
  if (!entry) return;
  Stream->WriteBuffer(entry->Memory(), static_cast<std::size_t>(entry->Size()));
  delete Stream;  // handled: the stream is ours, and freeing it completes the request
  Handled = true;
}

void TfrmMain::PlayerControl1LoadExternalResource(ui::TObject*, const std::wstring& URL, TStream* Stream) {
  const std::string name = WideToAnsi(URL);
  TLog4DP::Log("To load url2[" + name + "]");
  if (FindBookEntry(name) == 0 || !Stream) return;  // an empty stream counts as not found
  TLog4DP::Log("Got .. url2[" + name + "]");
  if (std::unique_ptr<TMemoryStream> entry = SoundEntry(name))
    Stream->WriteBuffer(entry->Memory(), static_cast<std::size_t>(entry->Size()));
}

void TfrmMain::PlayerControl1LoadExternalResourceEx(ui::TObject*, const std::wstring& URL, TStream*, bool&) {
  // Declined: the content manager falls back to OnLoadExternalResource.
  TLog4DP::Log("To load url 333[" + WideToAnsi(URL) + "]");
}

void TfrmMain::PlayerControl1LoadExternalResourceAsync(ui::TObject*, const std::wstring& Path, TStream*& Stream) {
  const std::string name = WideToAnsi(Path);
  TLog4DP::Log("To load url 44[" + name + "]");
  if (FindBookEntry(name) == 0) return;
  TLog4DP::Log("To load url 44_________[" + name + "]");
  if (std::unique_ptr<TMemoryStream> entry = SoundEntry(name))
    Stream = entry.release();  // the content manager owns it now
}
