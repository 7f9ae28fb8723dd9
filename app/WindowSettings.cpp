#include "WindowSettings.h"

#include <windows.h>

#include <string_view>

#include "BookCaption.h"
#include "BookSession.h"
#include "EntryLimits.h"
#include "ExeConfigInfo.h"
#include "ULog.h"
#include "WideText.h"

namespace {

void ApplyExeConfig(TBookSession& book, const TSettingsWindow& window) {
  const char* name = TExeConfigInfo::ConfigFileName();
  TLog4DP::Log(std::string("ConfigFileName:") + name);
  // A broken settings file is the book maker's slip, not the reader's: what
  // was applied before it stays, and the book opens all the same.
  try {
    TMemoryStream stream;
    const TEntryOutcome outcome = book.Extract(name, stream, EntryLimits::kSettingsBytes);
    if (outcome != TEntryOutcome::Sound) {
      if (outcome != TEntryOutcome::Superseded) TLog4DP::Log(std::string("Ignored [") + name + "]: not read whole");
      return;
    }
    TExeConfigInfo config;
    config.LoadFromStream(stream);
    window.SetBookCaption(config.ExeCaption);
    switch (WindowOpenActionFor(config.WindowOpenMode)) {
      case TWindowOpenAction::SetSize: window.SetSize(config.WindowOpenWidth, config.WindowOpenHeight); break;
      case TWindowOpenAction::Maximise: window.Maximise(); break;
      case TWindowOpenAction::FullScreen: window.EnterFullScreen(); break;
      case TWindowOpenAction::None: break;
    }
  } catch (const std::exception& error) {
    TLog4DP::Log(std::string("Ignored [") + name + "]: " + error.what());
  } catch (...) {
  }
}

void ApplyPageTitle(TBookSession& book, const TSettingsWindow& window) {
  TMemoryStream stream;
  if (book.Extract("index.html", stream, EntryLimits::kSettingsBytes) != TEntryOutcome::Sound) return;
  const std::string_view bytes(reinterpret_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
  window.SetBookCaption(BookTitleFromHtml(bytes, [](const std::u16string& text) {
    return WideToAnsi(std::wstring(text.begin(), text.end()));
  }));
}

}  // namespace

void ApplyWindowSettings(TBookSession& book, const TSettingsWindow& window) {
  if (book.FindEntry(TExeConfigInfo::ConfigFileName()) > 0) ApplyExeConfig(book, window);
  else if (book.FindEntry("index.html") > 0) ApplyPageTitle(book, window);
}
