#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "player/hooks/HookMaps.h"
#include "player/loader/ModuleResources.h"

namespace vell::player {
namespace {

TEST(ClassNameMap, KeysMatchInAnyCaseAndSettingReplacesTheFirstMatch) {
  TMapString2String map;
  map.Set(L"Stage", L"first");
  map.Set(L"STAGE", L"second");
  map.Set(L"Other", L"third");
  EXPECT_EQ(map.Find(L"stage"), L"second");
  EXPECT_EQ(map.Find(L"OTHER"), L"third");
  EXPECT_EQ(map.Find(L"Stag"), std::nullopt);
}

// The player registers classes and creates windows from whatever threads it uses.
TEST(ClassNameMap, KeepsEveryNameSetFromConcurrentThreads) {
  TMapString2String map;
  constexpr int kThreads = 4, kNames = 400;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&map, t] {
      for (int i = 0; i < kNames; ++i) {
        const std::wstring name = L"Class" + std::to_wstring(t) + L"_" + std::to_wstring(i);
        map.Set(name, L"Private" + name);
        map.Find(L"Class0_0");
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) {
    for (int i = 0; i < kNames; ++i) {
      const std::wstring name = L"Class" + std::to_wstring(t) + L"_" + std::to_wstring(i);
      ASSERT_EQ(map.Find(name), L"Private" + name);
    }
  }
}

TEST(WaveDeviceMap, AddingAppendsAndTheFirstEqualKeyWins) {
  TMapCardinal2Cardinal map;
  map.Add(7, 2);
  map.Add(7, 1);
  EXPECT_EQ(map.Find(7), 2u);
  EXPECT_EQ(map.Find(8), std::nullopt);
}

TEST(SavedCursors, MatchesByInstanceAndByIdOrExactName) {
  TSavedCursors cursors;
  HCURSOR byId = CreateCursor(nullptr, 0, 0, 8, 8, std::vector<BYTE>(8, 0xFF).data(), std::vector<BYTE>(8, 0).data());
  HCURSOR byName = CreateCursor(nullptr, 0, 0, 8, 8, std::vector<BYTE>(8, 0xFF).data(), std::vector<BYTE>(8, 0).data());
  auto* instance = reinterpret_cast<HINSTANCE>(0x10000000);
  cursors.Add(byId, instance, MAKEINTRESOURCEA(5));
  cursors.Add(byName, instance, "Hand");
  EXPECT_EQ(cursors.Find(instance, MAKEINTRESOURCEA(5)), byId);
  EXPECT_EQ(cursors.Find(instance, "Hand"), byName);
  EXPECT_EQ(cursors.Find(instance, "hand"), nullptr);
  EXPECT_EQ(cursors.Find(instance, MAKEINTRESOURCEA(6)), nullptr);
  EXPECT_EQ(cursors.Find(reinterpret_cast<HINSTANCE>(0x20000000), MAKEINTRESOURCEA(5)), nullptr);
}

TEST(PackedVersion, PacksOneByteEachAndSpillsOverflowUpwards) {
  EXPECT_EQ(PackVersion(MAKELONG(0, 9), MAKELONG(0, 28)), 0x09001C00u);
  EXPECT_EQ(PackVersion(MAKELONG(1, 10), MAKELONG(0, 0)), 0x0A010000u);
  EXPECT_EQ(PackVersion(MAKELONG(0, 1), MAKELONG(0, 256)), 0x01010000u);
}

}  // namespace
}  // namespace vell::player
