// Deliberately includes nothing of the player subsystem: its static start-up
// must still find the subsystem initialised.
#include <gtest/gtest.h>

#include <cstdint>

namespace {

std::uint16_t ControlWordAtStaticStart() {
  std::uint16_t word = 0;
  asm volatile("fnstcw %0" : "=m"(word));
  return word;
}
const std::uint16_t controlWordAtStaticStart = ControlWordAtStaticStart();

TEST(PlayerSubsystemStart, RunsBeforeTheProgramsOwnStaticStartUp) {
  // Bit 6 is reserved and reads back as set.
  EXPECT_EQ(controlWordAtStaticStart & ~0x40, 0x133F);
}

}  // namespace
