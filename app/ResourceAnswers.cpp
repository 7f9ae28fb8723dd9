// The main window's answers to the player's requests for the files of the
// open book: every answer comes from the archive, in memory. An entry whose
// bytes fail their check is declined as if missing, so the player shows its
// placeholder instead of damaged data, and the log says which and why.
#include <exception>
#include <string>

#include "ULog.h"
#include "UfrmMain.h"
#include "WideText.h"

std::unique_ptr<TMemoryStream> TfrmMain::SoundEntry(const std::string& name) {
  auto entry = std::make_unique<TMemoryStream>();
  try {
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
