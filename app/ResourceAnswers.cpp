#include "ResourceAnswers.h"

#include <exception>

#include "BookSession.h"
#include "EntryLimits.h"
#include "ULog.h"
#include "WideText.h"

std::unique_ptr<TMemoryStream> TResourceAnswers::SoundEntry(const std::string& name) {
  TBookSession::TAnswering answering(session_);
  auto entry = std::make_unique<TMemoryStream>();
  try {
    switch (session_.Extract(name, *entry, EntryLimits::kResourceBytes)) {
      case TEntryOutcome::Sound: return entry;
      case TEntryOutcome::Missing: TLog4DP::Log("Declined [" + name + "]: no such entry"); break;
      case TEntryOutcome::Refused: TLog4DP::Log("Declined [" + name + "]: too large"); break;
      case TEntryOutcome::Damaged: TLog4DP::Log("Declined [" + name + "]: its bytes fail their check"); break;
      case TEntryOutcome::Superseded:
        TLog4DP::Log("Declined [" + name + "]: the book was closed or replaced meanwhile");
        break;
    }
  } catch (const std::exception& error) {
    TLog4DP::Log("Declined [" + name + "]: " + error.what());
  }
  return nullptr;
}

void TResourceAnswers::ContentProviderRequest(const std::wstring& URL, TStream* Stream, bool& Handled) {
  const std::string name = WideToAnsi(URL);
  TLog4DP::Log("ContentProvider url[" + name + "]");
  if (!Stream || session_.FindEntry(name) == 0) return;
  // The stream forwards to the player as it is written: only sound bytes go in.
  std::unique_ptr<TMemoryStream> entry = SoundEntry(name);
  if (!entry) return;
  Stream->WriteBuffer(entry->Memory(), static_cast<std::size_t>(entry->Size()));
  delete Stream;  // handled: the stream is ours, and freeing it completes the request
  Handled = true;
}

void TResourceAnswers::LoadExternalResource(const std::wstring& URL, TStream* Stream) {
  const std::string name = WideToAnsi(URL);
  TLog4DP::Log("To load url2[" + name + "]");
  if (session_.FindEntry(name) == 0 || !Stream) return;  // an empty stream counts as not found
  TLog4DP::Log("Got .. url2[" + name + "]");
  if (std::unique_ptr<TMemoryStream> entry = SoundEntry(name))
    Stream->WriteBuffer(entry->Memory(), static_cast<std::size_t>(entry->Size()));
}

void TResourceAnswers::LoadExternalResourceEx(const std::wstring& URL) {
  TLog4DP::Log("To load url 333[" + WideToAnsi(URL) + "]");
}

void TResourceAnswers::LoadExternalResourceAsync(const std::wstring& Path, TStream*& Stream) {
  const std::string name = WideToAnsi(Path);
  TLog4DP::Log("To load url 44[" + name + "]");
  if (session_.FindEntry(name) == 0) return;
  TLog4DP::Log("To load url 44_________[" + name + "]");
  if (std::unique_ptr<TMemoryStream> entry = SoundEntry(name))
    Stream = entry.release();  // the content manager owns it now
}
