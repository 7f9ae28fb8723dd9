#include "ByteIo.h"

namespace vell::codec {

bool BitReader::Want(int count) {
  while (bitCount_ < count) {
    if (position_ == block_.size()) {
      if (ended_) return false;
      block_ = source_.NextBlock();
      position_ = 0;
      if (block_.empty()) {
        ended_ = true;
        return false;
      }
    }
    bits_ |= std::uint64_t(block_[position_++]) << bitCount_;
    bitCount_ += 8;
  }
  return true;
}

bool BitReader::Read(int count, std::uint32_t& value) {
  if (!Want(count)) return false;
  value = static_cast<std::uint32_t>(bits_ & ((std::uint64_t(1) << count) - 1));
  bits_ >>= count;
  bitCount_ -= count;
  return true;
}

OutputWindow::OutputWindow(ByteSink& sink) : sink_(sink), ring_(new std::uint8_t[kSize]()) {}

void OutputWindow::CopyBack(std::size_t distance, std::size_t length) {
  std::size_t from = (fill_ + kSize - distance) % kSize;
  while (length--) {
    Put(ring_[from]);
    from = (from + 1) % kSize;
  }
}

void OutputWindow::Flush() {
  if (fill_ > delivered_) sink_.Put(ring_.get() + delivered_, fill_ - delivered_);
  delivered_ = fill_;
  // The ring restarts only when full, so the history stays in place for back references.
  if (fill_ == kSize) fill_ = delivered_ = 0;
}

}  // namespace vell::codec
