#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <utility>

#include "hotkeys/HotkeyData.h"
#include "hotkeys/HotkeyModes.h"

namespace hotkeys {

// The fields of the hotkey editor, in their tab order.
enum class EditorField { Start = 0, Stop = 1, Record = 2, Pick = 3 };
inline constexpr int kEditorFieldCount = 4;

struct HotkeySet {
  std::array<THotkeyData, kEditorFieldCount> keys{};  // Vk 0: unset
  HotkeyModes modes;
  THotkeyData& operator[](EditorField f) { return keys[static_cast<std::size_t>(f)]; }
  const THotkeyData& operator[](EditorField f) const { return keys[static_cast<std::size_t>(f)]; }
};

// The program's own hotkeys: Shift+Ctrl with S, X and R, no pick hotkey, both modes off.
HotkeySet DefaultHotkeys();

// What a key pressed in the editor did.
enum class EditorKey {
  Ignored,        // a modifier alone, or nothing listens: wait for more
  Captured,       // became the listening field's hotkey; the next field listens
  ListeningEnded, // Esc: the field keeps its old value
  MovedOn,        // Tab: the next field listens, this one unchanged
  Accept,         // Enter: never captured, acts as OK
};

// The editor dialog's state, without its widgets: which field listens, what each holds,
// and whether the set can be applied. The dialog opens with the start field listening.
class HotkeyEditor {
 public:
  explicit HotkeyEditor(const HotkeySet& initial);

  const HotkeySet& Values() const { return values_; }
  // The listening field, if one listens.
  std::optional<EditorField> Listening() const { return listening_; }
  // A field was clicked or got the focus.
  void Listen(EditorField field) { listening_ = field; }
  void StopListening() { listening_.reset(); }
  // A key (Windows virtual-key code) with the modifiers held (MOD_* flags).
  EditorKey KeyPressed(std::uint32_t vk, std::uint32_t modifiers);
  // A mouse button pressed inside a field: the middle or a side button (virtual-key code).
  // Other buttons only focus the field; false then.
  bool ButtonPressed(EditorField field, std::uint32_t vk, std::uint32_t modifiers);
  void Clear(EditorField field);
  void SetModes(HotkeyModes modes) { values_.modes = modes; }
  void Defaults();
  // The first two fields holding the same combination, if any.
  std::optional<std::pair<EditorField, EditorField>> Duplicate() const;

 private:
  void Capture(EditorField field, std::uint32_t vk, std::uint32_t modifiers);
  HotkeySet values_;
  std::optional<EditorField> listening_;
};

}  // namespace hotkeys
