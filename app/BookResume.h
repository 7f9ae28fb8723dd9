// Picking up where the reader stopped: the open book's identity, the page it
// should turn to once its player is ready, and the page it is left at when it
// goes. Free of the window and of the file system so that it can be checked
// on its own; the main window supplies the remembered pages and the player.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "ResumePages.h"

class TBookResume {
public:
  using TLoad = std::function<TResumePages()>;
  using TSave = std::function<void(const TResumePages&)>;

  TBookResume(TLoad load, TSave save) : load_(std::move(load)), save_(std::move(save)) {}

  // A book goes to the player. Without an identity (its file could not be
  // looked at) nothing is remembered for it.
  void BookStarting(std::optional<TBookIdentity> book);
  // The player reports it has the book: the page to turn to, given once.
  std::optional<int> PlayerReady();
  // The open book is about to be closed or replaced, or the reader ends:
  // `currentPage` reads the player's page, throwing or answering with
  // anything but a page number for a player that keeps none.
  void BookLeaving(const std::function<std::wstring()>& currentPage);
  // No book is open any more.
  void BookClosed();

  // The player's answer as a page number (1 or more), if it is one.
  static std::optional<int> PageFromPlayer(const std::wstring& answer);

private:
  TLoad load_;
  TSave save_;
  std::optional<TBookIdentity> book_;
  std::optional<int> pending_;
  // A page read before the player had the book would be its first, not the
  // reader's: only a book that became ready is remembered.
  bool ready_ = false;
};
