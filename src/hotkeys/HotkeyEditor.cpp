#include "hotkeys/HotkeyEditor.h"

namespace hotkeys {

namespace {

constexpr std::uint32_t kComboMods = kModAlt | kModControl | kModShift | kModWin;

bool IsModifierKey(std::uint32_t vk) {
  switch (vk) {
    case 0x10: case 0x11: case 0x12:              // Shift, Ctrl, Alt
    case 0x14: case 0x90: case 0x91:              // the locks change no combination
    case 0x5B: case 0x5C:                         // the Windows keys
    case 0xA0: case 0xA1: case 0xA2: case 0xA3: case 0xA4: case 0xA5:  // left/right forms
      return true;
    default:
      return false;
  }
}

std::optional<EditorField> After(EditorField f) {
  const int next = static_cast<int>(f) + 1;
  if (next >= kEditorFieldCount) return std::nullopt;
  return static_cast<EditorField>(next);
}

}  // namespace

HotkeySet DefaultHotkeys() {
  HotkeySet set;
  set[EditorField::Start] = {0x53, kModControl | kModShift};
  set[EditorField::Stop] = {0x58, kModControl | kModShift};
  set[EditorField::Record] = {0x52, kModControl | kModShift};
  return set;
}

HotkeyEditor::HotkeyEditor(const HotkeySet& initial)
    : values_(initial), listening_(EditorField::Start) {}

EditorKey HotkeyEditor::KeyPressed(std::uint32_t vk, std::uint32_t modifiers) {
  // Enter and Tab keep their meaning in the dialog even while a field listens.
  if (vk == 0x0D) return EditorKey::Accept;
  if (vk == 0x09 && (modifiers & kComboMods) == 0) {
    if (listening_) listening_ = After(*listening_);
    return EditorKey::MovedOn;
  }
  if (!listening_) return EditorKey::Ignored;
  if (vk == 0x1B && (modifiers & kComboMods) == 0) {
    listening_.reset();
    return EditorKey::ListeningEnded;
  }
  if (vk == 0 || vk > 0xFF || IsModifierKey(vk)) return EditorKey::Ignored;
  Capture(*listening_, vk, modifiers);
  return EditorKey::Captured;
}

bool HotkeyEditor::ButtonPressed(EditorField field, std::uint32_t vk, std::uint32_t modifiers) {
  listening_ = field;
  if (!IsMouseButtonVk(vk)) return false;
  Capture(field, vk, modifiers);
  return true;
}

void HotkeyEditor::Capture(EditorField field, std::uint32_t vk, std::uint32_t modifiers) {
  values_[field] = {vk, modifiers & kComboMods};
  listening_ = After(field);
}

void HotkeyEditor::Clear(EditorField field) {
  values_[field] = {};
  if (listening_ == field) listening_.reset();
}

void HotkeyEditor::Defaults() {
  values_ = DefaultHotkeys();
  listening_.reset();
}

std::optional<std::pair<EditorField, EditorField>> HotkeyEditor::Duplicate() const {
  for (int a = 0; a < kEditorFieldCount; ++a) {
    const THotkeyData& x = values_.keys[static_cast<std::size_t>(a)];
    if (x.Vk == 0) continue;
    for (int b = a + 1; b < kEditorFieldCount; ++b) {
      const THotkeyData& y = values_.keys[static_cast<std::size_t>(b)];
      if (y.Vk == x.Vk && (y.Modifiers & kComboMods) == (x.Modifiers & kComboMods))
        return std::make_pair(static_cast<EditorField>(a), static_cast<EditorField>(b));
    }
  }
  return std::nullopt;
}

}  // namespace hotkeys
