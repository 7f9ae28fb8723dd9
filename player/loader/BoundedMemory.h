#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "player/loader/LoaderError.h"

namespace vell::player {

// A byte range whose every read is checked against its end, so that offsets
// taken from an untrusted image raise an error instead of touching memory
// outside it.
class TBoundedMemory {
public:
  TBoundedMemory(std::uint8_t* begin, std::size_t size) : begin_(begin), size_(size) {}

  std::uint8_t* Begin() const { return begin_; }
  std::size_t Size() const { return size_; }

  bool Contains(std::uint64_t offset, std::uint64_t count) const {
    return offset <= size_ && count <= size_ - offset;
  }

  // Address of `count` bytes at `offset`; raises when they are not all inside.
  std::uint8_t* Bytes(std::uint64_t offset, std::uint64_t count, const char* what) const {
    if (!Contains(offset, count)) throw ELoaderError(std::string(what) + " lies outside the module image");
    return begin_ + offset;
  }

  template <typename T>
  T* At(std::uint64_t offset, const char* what) const {
    return reinterpret_cast<T*>(Bytes(offset, sizeof(T), what));
  }

  template <typename T>
  T Read(std::uint64_t offset, const char* what) const {
    T value;
    std::memcpy(&value, Bytes(offset, sizeof(T), what), sizeof(T));
    return value;
  }

  // A zero-terminated ANSI text starting at `offset` whose terminator is inside.
  const char* String(std::uint64_t offset, const char* what) const {
    const std::uint8_t* first = Bytes(offset, 1, what);
    if (!std::memchr(first, 0, size_ - offset)) throw ELoaderError(std::string(what) + " runs past the end of the module image");
    return reinterpret_cast<const char*>(first);
  }

private:
  std::uint8_t* begin_;
  std::size_t size_;
};

}  // namespace vell::player
