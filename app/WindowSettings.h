// The caption and opening mode a book carries, applied to the window that
// shows it: from "ExeConfig.xml", or else the title of "index.html".
#pragma once

#include <functional>
#include <string>

class TBookSession;

// What the settings may change on the window.
struct TSettingsWindow {
  std::function<void(const std::string& text)> SetBookCaption;
  // The outer size the book asks for; the window keeps it on its monitor.
  std::function<void(int width, int height)> SetSize;
  std::function<void()> Maximise;
  std::function<void()> EnterFullScreen;
};

// Reads the settings of the session's open book and applies them. The
// extraction yields: when the book was closed or replaced meanwhile nothing
// is applied, and the caller learns it from the session's generation.
void ApplyWindowSettings(TBookSession& book, const TSettingsWindow& window);
