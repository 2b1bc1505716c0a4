#include <gtest/gtest.h>

#include <array>
#include <optional>

#include "hotkeys/HotkeyEditor.h"

namespace {

using hotkeys::EditorField;
using hotkeys::EditorKey;
using hotkeys::HotkeyEditor;
using hotkeys::HotkeySet;

constexpr std::uint32_t kShiftCtrl = hotkeys::kModShift | hotkeys::kModControl;

TEST(HotkeyEditor, OpensListeningOnStartAndCapturesInTabOrder) {
  HotkeyEditor e(hotkeys::DefaultHotkeys());
  ASSERT_EQ(e.Listening(), EditorField::Start);
  struct Step {
    std::uint32_t vk, mods;
    EditorKey result;
    std::optional<EditorField> listeningAfter;
  } steps[] = {
      {0x10, hotkeys::kModShift, EditorKey::Ignored, EditorField::Start},  // Shift alone: wait
      {0xA2, hotkeys::kModControl, EditorKey::Ignored, EditorField::Start},  // left Ctrl alone
      {0x75, 0, EditorKey::Captured, EditorField::Stop},                    // F6
      {0x09, 0, EditorKey::MovedOn, EditorField::Record},                   // Tab: Stop kept
      {0x41, hotkeys::kModAlt | hotkeys::kModNoRepeat, EditorKey::Captured, EditorField::Pick},
      {0x1B, 0, EditorKey::ListeningEnded, std::nullopt},                   // Esc: Pick unchanged
      {0x42, 0, EditorKey::Ignored, std::nullopt},                          // nothing listens
      {0x0D, 0, EditorKey::Accept, std::nullopt},
  };
  for (const Step& s : steps) {
    EXPECT_EQ(e.KeyPressed(s.vk, s.mods), s.result) << s.vk;
    EXPECT_EQ(e.Listening(), s.listeningAfter) << s.vk;
  }
  EXPECT_EQ(e.Values()[EditorField::Start].Vk, 0x75u);
  EXPECT_EQ(e.Values()[EditorField::Start].Modifiers, 0u);
  EXPECT_EQ(e.Values()[EditorField::Stop].Vk, 0x58u);
  EXPECT_EQ(e.Values()[EditorField::Record].Vk, 0x41u);
  EXPECT_EQ(e.Values()[EditorField::Record].Modifiers, hotkeys::kModAlt);  // only the combination
  EXPECT_EQ(e.Values()[EditorField::Pick].Vk, 0u);
}

TEST(HotkeyEditor, EnterIsNeverCapturedAndEscWithAModifierIsACombination) {
  HotkeyEditor e(hotkeys::DefaultHotkeys());
  EXPECT_EQ(e.KeyPressed(0x0D, kShiftCtrl), EditorKey::Accept);
  EXPECT_EQ(e.Values()[EditorField::Start].Vk, 0x53u);
  EXPECT_EQ(e.Listening(), EditorField::Start);
  EXPECT_EQ(e.KeyPressed(0x1B, hotkeys::kModShift), EditorKey::Captured);
  EXPECT_EQ(e.Values()[EditorField::Start].Vk, 0x1Bu);
  // The last field captured: nothing listens after it.
  e.Listen(EditorField::Pick);
  EXPECT_EQ(e.KeyPressed(0x76, 0), EditorKey::Captured);
  EXPECT_EQ(e.Listening(), std::nullopt);
}

TEST(HotkeyEditor, MouseButtonsInsideAFieldOnlyTheMiddleAndSideOnes) {
  HotkeyEditor e(hotkeys::DefaultHotkeys());
  EXPECT_FALSE(e.ButtonPressed(EditorField::Stop, 0x01, 0));  // left: only focuses
  EXPECT_EQ(e.Listening(), EditorField::Stop);
  EXPECT_EQ(e.Values()[EditorField::Stop].Vk, 0x58u);
  EXPECT_FALSE(e.ButtonPressed(EditorField::Stop, 0x02, 0));
  EXPECT_TRUE(e.ButtonPressed(EditorField::Stop, hotkeys::kVkXButton2, hotkeys::kModControl));
  EXPECT_EQ(e.Values()[EditorField::Stop].Vk, hotkeys::kVkXButton2);
  EXPECT_EQ(e.Values()[EditorField::Stop].Modifiers, hotkeys::kModControl);
  EXPECT_EQ(e.Listening(), EditorField::Record);
  EXPECT_TRUE(e.ButtonPressed(EditorField::Pick, hotkeys::kVkMButton, 0));
  EXPECT_EQ(e.Values()[EditorField::Pick].Vk, hotkeys::kVkMButton);
}

TEST(HotkeyEditor, DuplicatesNamedByTheirFieldsUnsetNeverClash) {
  struct Case {
    const char* name;
    std::array<THotkeyData, 4> keys;
    std::optional<std::pair<EditorField, EditorField>> duplicate;
  } cases[] = {
      {"defaults", hotkeys::DefaultHotkeys().keys, std::nullopt},
      {"two unset", {{{0x53, 6}, {0, 0}, {0x52, 6}, {0, 0}}}, std::nullopt},
      {"same key, other modifiers", {{{0x53, 6}, {0x53, 2}, {0x53, 0}, {0, 0}}}, std::nullopt},
      {"start and stop", {{{0x75, 0}, {0x75, 0}, {0x52, 6}, {0, 0}}},
       std::make_pair(EditorField::Start, EditorField::Stop)},
      {"record and pick, the no-repeat bit does not tell them apart",
       {{{0x53, 6}, {0x58, 6}, {0x05, 2}, {0x05, 2 | hotkeys::kModNoRepeat}}},
       std::make_pair(EditorField::Record, EditorField::Pick)},
      {"the first pair of three", {{{0x41, 1}, {0x42, 1}, {0x41, 1}, {0x42, 1}}},
       std::make_pair(EditorField::Start, EditorField::Record)},
  };
  for (const Case& c : cases) {
    HotkeySet set;
    set.keys = c.keys;
    HotkeyEditor e(set);
    EXPECT_EQ(e.Duplicate(), c.duplicate) << c.name;
  }
}

TEST(HotkeyEditor, ClearAndDefaults) {
  HotkeySet set;
  set[EditorField::Start] = {0x75, 0};
  set[EditorField::Pick] = {0x76, 0};
  set.modes = {true, true};
  HotkeyEditor e(set);
  e.Clear(EditorField::Start);
  EXPECT_EQ(e.Values()[EditorField::Start].Vk, 0u);
  EXPECT_EQ(e.Listening(), std::nullopt);  // a cleared field stops listening
  e.Defaults();
  const HotkeySet d = hotkeys::DefaultHotkeys();
  for (int i = 0; i < hotkeys::kEditorFieldCount; ++i) {
    EXPECT_EQ(e.Values().keys[static_cast<std::size_t>(i)].Vk, d.keys[static_cast<std::size_t>(i)].Vk);
    EXPECT_EQ(e.Values().keys[static_cast<std::size_t>(i)].Modifiers,
              d.keys[static_cast<std::size_t>(i)].Modifiers);
  }
  EXPECT_EQ(e.Values()[EditorField::Pick].Vk, 0u);
  EXPECT_FALSE(e.Values().modes.toggle);
  EXPECT_FALSE(e.Values().modes.hold);
  EXPECT_EQ(e.Values()[EditorField::Start].Modifiers, kShiftCtrl);
}

}  // namespace
