#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/Services.h"
#include "hotkeys/HotkeyEditor.h"
#include "ui/HotkeyField.h"
#include "ui/WidgetFactory.h"

namespace hotkeys {

// The hotkey editor: a field per hotkey with its "Clear", the two modes, "Defaults", OK and
// Cancel. The rules live in HotkeyEditor; this class only shows them.
class THotkeyEditorDialog {
 public:
  // `keyName` names keys outside the fixed table; `apply` tries a set on the system and
  // returns the field it refused (the dialog then names it and stays open), or nothing.
  using ApplyFn = std::function<std::optional<EditorField>(const HotkeySet&)>;
  THotkeyEditorDialog(app::Services& services, const HotkeySet& initial,
                      std::function<std::string(std::uint32_t)> keyName, ApplyFn apply);

  // Runs the dialog; true when OK applied a set.
  bool Execute();
  const HotkeySet& Values() const { return editor_.Values(); }

  ui::Window Form;
  // One row a field, in the order of EditorField.
  std::array<std::unique_ptr<ui::Label>, kEditorFieldCount> lblNames;
  std::array<std::unique_ptr<ui::HotkeyField>, kEditorFieldCount> edtKeys;
  std::array<std::unique_ptr<ui::Button>, kEditorFieldCount> btnClear;
  ui::CheckBox cbToggle;
  ui::CheckBox cbHold;
  ui::Button btnDefaults;
  ui::Button btnOk;
  ui::Button btnCancel;

  // What the user does, as the peers report it.
  void FieldFocused(EditorField field);
  void FieldKey(EditorField field, std::uint32_t vk, std::uint32_t modifiers);
  void FieldButton(EditorField field, std::uint32_t vk, std::uint32_t modifiers);
  void ClearClick(EditorField field);
  void DefaultsClick();
  void OkClick();
  void CancelClick();

 private:
  void ShowValues();
  // The values shown and the focus on the field that listens now.
  void ShowListening();
  void Finish(bool accepted);

  app::Services& services_;
  HotkeyEditor editor_;
  std::function<std::string(std::uint32_t)> keyName_;
  ApplyFn apply_;
  bool accepted_ = false;
  bool open_ = false;
};

// The name of a field in messages ("Start", "Stop", "Start recording", "Pick point").
std::string FieldName(EditorField field);

}  // namespace hotkeys
