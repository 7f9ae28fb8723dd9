// The answers to the player's requests for the files of the open book: every
// answer comes from the archive, in memory. An entry whose bytes fail their
// check, or that is larger than a page may be, is declined as if missing, so
// the player shows its placeholder, and the log says which and why.
#pragma once

#include <memory>
#include <string>

#include "Stream.h"

class TBookSession;

class TResourceAnswers {
public:
  explicit TResourceAnswers(TBookSession& session) : session_(session) {}

  // Requests outside the movies filed from memory: a stream that forwards to
  // the player, taken (written, freed, Handled set) only for a sound entry.
  void ContentProviderRequest(const std::wstring& URL, TStream* Stream, bool& Handled);
  // The player's URL requests: the entry's bytes into Stream.
  void LoadExternalResource(const std::wstring& URL, TStream* Stream);
  // Only logged: the content manager then asks LoadExternalResource.
  void LoadExternalResourceEx(const std::wstring& URL);
  // The player's file opens: a new stream holding the entry, owned by the caller.
  void LoadExternalResourceAsync(const std::wstring& Path, TStream*& Stream);

  // The whole entry when it was extracted sound and within its bound; else
  // none, with the reason logged.
  std::unique_ptr<TMemoryStream> SoundEntry(const std::string& name);

private:
  TBookSession& session_;
};
