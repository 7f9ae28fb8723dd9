// The main window takes the caption and opening mode a book carries.
#include <windows.h>

#include <string_view>

#include "BookCaption.h"
#include "ExeConfigInfo.h"
#include "ULog.h"
#include "UfrmMain.h"
#include "WideText.h"

void TfrmMain::ApplyWindowSettings() {
  if (FindBookEntry(TExeConfigInfo::ConfigFileName()) > 0) {
    TLog4DP::Log(std::string("ConfigFileName:") + TExeConfigInfo::ConfigFileName());
    // A broken settings file is the book maker's slip, not the reader's: what
    // was applied before it stays, and the book opens all the same.
    try {
      std::unique_ptr<TMemoryStream> stream = ExtractEntry(TExeConfigInfo::ConfigFileName());
      TExeConfigInfo config;
      config.LoadFromStream(*stream);
      SetBookCaption(config.ExeCaption);
      switch (WindowOpenActionFor(config.WindowOpenMode)) {
        case TWindowOpenAction::SetSize:
          SetBounds(Left(), Top(), config.WindowOpenWidth, config.WindowOpenHeight);
          break;
        case TWindowOpenAction::Maximise: SetWindowState(ui::TWindowState::wsMaximized); break;
        case TWindowOpenAction::FullScreen: EnterFullScreen(); break;
        case TWindowOpenAction::None: break;
      }
    } catch (...) {
    }
    return;
  }
  if (FindBookEntry("index.html") > 0) {
    std::unique_ptr<TMemoryStream> stream = ExtractEntry("index.html");
    const std::string_view bytes(reinterpret_cast<const char*>(stream->Memory()), static_cast<size_t>(stream->Size()));
    SetBookCaption(BookTitleFromHtml(bytes, [](const std::u16string& text) {
      return WideToAnsi(std::wstring(text.begin(), text.end()));
    }));
  }
}
