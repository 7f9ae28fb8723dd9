// Deliberately includes nothing of the player subsystem (whose header would
// initialise it ahead of this file): its static start-up must still find the
// subsystem initialised. Only the provider look-up is declared here.
#include <gtest/gtest.h>

#include <cstdint>

namespace vell::player {
class TPlayerCodeProviderBasedOnStream;
TPlayerCodeProviderBasedOnStream* PlayerCodeProvider();
}  // namespace vell::player

namespace {

// The initialisation always leaves a process-wide provider.
const bool providerAtStaticStart = vell::player::PlayerCodeProvider() != nullptr;

#if defined(__i386__)
std::uint16_t ControlWordAtStaticStart() {
  std::uint16_t word = 0;
  asm volatile("fnstcw %0" : "=m"(word));
  return word;
}
const std::uint16_t controlWordAtStaticStart = ControlWordAtStaticStart();
#endif

TEST(PlayerSubsystemStart, RunsBeforeTheProgramsOwnStaticStartUp) {
  EXPECT_TRUE(providerAtStaticStart);
#if defined(__i386__)
  // Bit 6 is reserved and reads back as set.
  EXPECT_EQ(controlWordAtStaticStart & ~0x40, 0x133F);
#endif
}

}  // namespace
