#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

#include "hotkeys/HotkeyData.h"
#include "hotkeys/VkKeysyms.h"

namespace {

using hotkeys::VkToKeysym;

TEST(VkKeysymsTest, MapsTheKeysOfAUsLayout) {
  struct Case {
    std::uint32_t vk, keysym;
  };
  const Case cases[] = {
      {0x41, 0x61},        {0x53, 0x73},        {0x5A, 0x7A},      // letters: lower case
      {0x30, 0x30},        {0x39, 0x39},                           // digits
      {0x70, 0xFFBE},      {0x7B, 0xFFC9},      {0x87, 0xFFD5},    // F1, F12, F24
      {0x08, 0xFF08},      {0x09, 0xFF09},      {0x0D, 0xFF0D},    // BkSp, Tab, Enter
      {0x1B, 0xFF1B},      {0x20, 0x20},        {0x2E, 0xFFFF},    // Esc, Space, Del
      {0x21, 0xFF55},      {0x22, 0xFF56},      {0x2D, 0xFF63},    // PgUp, PgDn, Ins
      {0x25, 0xFF51},      {0x26, 0xFF52},      {0x28, 0xFF54},    // arrows
      {0x60, 0xFFB0},      {0x69, 0xFFB9},      {0x6F, 0xFFAF},    // numpad 0, 9, divide
      {0xBA, 0x3B},        {0xBC, 0x2C},        {0xC0, 0x60},      // ; , `
      {0xDB, 0x5B},        {0xDE, 0x27},        {0xE2, 0x3C},      // [ ' <
      {0x2C, 0xFF61},      {0x13, 0xFF13},      {0x5D, 0xFF67},    // PrtSc, Pause, Apps
      {0xAD, 0x1008FF12},  {0xB3, 0x1008FF14},                     // media keys
  };
  for (const Case& c : cases) EXPECT_EQ(VkToKeysym(c.vk), c.keysym) << std::hex << c.vk;
}

TEST(VkKeysymsTest, CodesWithoutAKeyGiveZero) {
  for (std::uint32_t vk : {0x00u, 0x01u, 0x07u, 0x3Au, 0x40u, 0x5Eu, 0x88u, 0xFFu, 0x100u,
                           0x141u, 0x10041u, 0xFFFFFFFFu}) {
    EXPECT_EQ(VkToKeysym(vk), 0u) << std::hex << vk;
  }
}

TEST(VkKeysymsTest, EveryKeyOfTheByteRangeHasADistinctKeysymExceptTrueAliases) {
  // Aliases of one physical key (VK_SHIFT/VK_LSHIFT, VK_PRINT/VK_SNAPSHOT...) share a keysym;
  // any other repeat would make two stored hotkeys grab the same key.
  std::map<std::uint32_t, std::vector<std::uint32_t>> byKeysym;
  for (std::uint32_t vk = 0; vk < 0x100; ++vk) {
    if (std::uint32_t ks = VkToKeysym(vk)) byKeysym[ks].push_back(vk);
  }
  const std::set<std::vector<std::uint32_t>> aliases = {
      {0x10, 0xA0}, {0x11, 0xA2}, {0x12, 0xA4}, {0x2A, 0x2C}};
  for (const auto& [ks, vks] : byKeysym) {
    if (vks.size() > 1) {
      EXPECT_TRUE(aliases.count(vks)) << std::hex << ks;
    }
  }
}

struct ModifierCase {
  std::uint32_t flags;
  bool ok;
  unsigned state;
};

// A recorded key goes back through VkToKeysym when it is played: every code the table
// knows must come back as a code that types the same keysym.
TEST(VkKeysymsTest, KeysymsOfRecordedKeysComeBackAsTheirCodes) {
  for (std::uint32_t vk = 1; vk < 0xFF; ++vk) {
    const std::uint32_t keysym = VkToKeysym(vk);
    if (keysym == 0) continue;
    SCOPED_TRACE(vk);
    EXPECT_EQ(VkToKeysym(hotkeys::KeysymToVk(keysym)), keysym);
  }
  struct Case {
    std::uint32_t keysym, vk;
  } cases[] = {{'a', 'A'}, {'A', 'A'}, {'7', '7'}, {0xFFE1, 0x10}, {0xFFE2, 0xA1}, {0xFFE4, 0xA3},
               {0xFFEA, 0xA5}, {0xFE03, 0xA5}, {0xFF0D, 0x0D}, {0xFFBE, 0x70}, {0x00E9 /* eacute */, 0}, {0, 0}};
  for (const Case& c : cases) EXPECT_EQ(hotkeys::KeysymToVk(c.keysym), c.vk) << c.keysym;
}

TEST(VkKeysymsTest, ModifierFlagsBecomeTheLiveMasks) {
  // Alt and Super deliberately not on Mod1/Mod4: the live map decides.
  const hotkeys::XModifierMasks masks{.alt = 1u << 3, .super = 1u << 6, .numLock = 1u << 4};
  const ModifierCase cases[] = {
      {0, true, 0},
      {hotkeys::kModShift | hotkeys::kModControl, true, 0x1 | 0x4},
      {hotkeys::kModAlt, true, 1u << 3},
      {hotkeys::kModWin | hotkeys::kModAlt, true, (1u << 6) | (1u << 3)},
      {hotkeys::kModControl | hotkeys::kModNoRepeat, true, 0x4},
      {0x10, false, 0},                       // an unknown flag: refused like on Windows
      {hotkeys::kModShift | 0x8000, false, 0},
  };
  for (const ModifierCase& c : cases) {
    unsigned state = 99;
    EXPECT_EQ(hotkeys::ModifiersToXState(c.flags, masks, state), c.ok) << c.flags;
    if (c.ok) {
      EXPECT_EQ(state, c.state) << c.flags;
    }
  }
}

TEST(VkKeysymsTest, AModifierMissingFromTheServerRefusesTheRegistration) {
  const hotkeys::XModifierMasks noSuper{.alt = 0x8, .super = 0, .numLock = 0x10};
  unsigned state = 0;
  EXPECT_FALSE(hotkeys::ModifiersToXState(hotkeys::kModWin, noSuper, state));
  EXPECT_TRUE(hotkeys::ModifiersToXState(hotkeys::kModAlt, noSuper, state));
  const hotkeys::XModifierMasks noAlt{.alt = 0, .super = 0x40, .numLock = 0x10};
  EXPECT_FALSE(hotkeys::ModifiersToXState(hotkeys::kModAlt, noAlt, state));
}

TEST(VkKeysymsTest, GrabsCoverCapsLockAndNumLock) {
  const hotkeys::XModifierMasks masks{.alt = 0x8, .super = 0x40, .numLock = 0x10};
  EXPECT_EQ(hotkeys::LockVariants(0x5, masks), (std::vector<unsigned>{0x5, 0x7, 0x15, 0x17}));
  // A server without a Num Lock modifier: two grabs, not four with repeats.
  const hotkeys::XModifierMasks noNum{.alt = 0x8, .super = 0x40, .numLock = 0};
  EXPECT_EQ(hotkeys::LockVariants(0x5, noNum), (std::vector<unsigned>{0x5, 0x7}));
}

TEST(VkKeysymsTest, LocksAndUnrelatedModifiersDoNotTakePartInMatching) {
  const hotkeys::XModifierMasks masks{.alt = 0x8, .super = 0x40, .numLock = 0x10};
  EXPECT_EQ(hotkeys::SignificantState(0x5 | 0x2 | 0x10, masks), 0x5u);
  EXPECT_EQ(hotkeys::SignificantState(0x8 | 0x40 | 0x1 | 0x4, masks), 0x4Du);
  // Button bits of the pointer and Mod5 (AltGr on many layouts) are ignored too.
  EXPECT_EQ(hotkeys::SignificantState(0x4 | (1u << 8) | 0x80, masks), 0x4u);
}

}  // namespace
