// What bookzip's extracting commands learn from the reader's events while an
// entry is extracted, so that a failure can be named.
#pragma once

#include <cstdio>
#include <ostream>
#include <string>

#include "ZipReader.h"

struct TUnpackReport {
  std::string Problem;  // empty while nothing went wrong

  // Hooks the events to this report; messages the reader would show in a
  // box go to err instead.
  void Watch(TZipReader& reader, std::ostream& err) {
    reader.OnSkippingFile = [this](TZipReader*, TSkipReason, const std::string&, int, bool&) {
      Problem = "wrong or missing password";
    };
    reader.OnBadCRC = [this](TZipReader*, std::uint32_t calculated, std::uint32_t stored, int) {
      char text[64];
      std::snprintf(text, sizeof text, "CRC %08X, expected %08X", calculated, stored);
      Problem = text;
    };
    reader.OnHandleMessage = [&err](TZipReader*, int, const std::string& text, const std::string& caption, unsigned,
                                    int& answer) {
      err << caption << ": " << text << "\n";
      answer = MessageBoxFlags::IdOk;
    };
  }
};
