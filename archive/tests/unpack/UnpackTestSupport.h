// What the extraction tests share besides the archive test support: real
// archiving tools, traditional encryption and streams that watch
// what the reader does to them.
#pragma once

#include <cstdint>
#include <string>

#include "ArchiveWriter.h"
#include "FileBytes.h"
#include "MemoryPlatform.h"
#include "RawDeflate.h"
#include "SampleData.h"
#include "ScratchFolder.h"
#include "Stream.h"
#include "ZipReader.h"

namespace unpacktest {

using namespace testsupport;

using Bytes = std::string;  // archive and entry bytes; std::string compares and prints well

bool ToolAvailable(const std::string& tool);
// Runs a shell command in a folder; returns its exit status.
int RunTool(const std::string& folder, const std::string& command);
// Runs a shell command in a folder and returns what it wrote to standard output.
Bytes Output(const std::string& folder, const std::string& command);

// A memory stream that remembers the largest size it was asked to take and
// can be told to accept only so many bytes per write.
class TWatchedStream : public TMemoryStream {
public:
  std::size_t Write(const void* buffer, std::size_t count) override;
  void SetSize(std::int64_t newSize) override;
  Bytes Contents() { return Bytes(reinterpret_cast<const char*>(Memory()), static_cast<std::size_t>(Size())); }

  std::int64_t LargestSizeSet = 0;
  std::size_t WriteLimit = SIZE_MAX;
  std::int64_t SizeLimit = INT64_MAX;  // larger sizes fail as if memory ran out
  int Writes = 0;
};

// Encrypts with the traditional PKWARE cipher: a 12-byte header whose last
// byte is checkByte, then the data.
Bytes EncryptTraditional(const Bytes& plain, const std::string& password, std::uint8_t checkByte);

struct TExtraction {
  int Result = 0;
  Bytes Data;
};
// Extracts name from the archive at path into a fresh memory stream.
TExtraction Extract(const std::string& path, const std::string& name, const std::string& password = "");

}  // namespace unpacktest
