#include "hotkeys/HotkeyEditorDialog.h"

#include <utility>

#include "hotkeys/HotkeyText.h"
#include "i18n/Format.h"
#include "i18n/Translation.h"

namespace hotkeys {

namespace {

constexpr std::uint32_t kVkEscape = 0x1B;
constexpr int kRowTop = 12;
constexpr int kRowStep = 30;

ui::WindowSpec DialogSpec() {
  ui::WindowSpec spec;
  spec.clientWidth = 420;
  spec.clientHeight = 228;
  spec.mainWindow = false;
  return spec;
}

const char* const kFieldLabels[kEditorFieldCount] = {"Start:", "Stop:", "Start recording:", "Pick point:"};

EditorField FieldAt(int i) { return static_cast<EditorField>(i); }

}  // namespace

std::string FieldName(EditorField field) {
  switch (field) {
    case EditorField::Start: return TranslateText("Start");
    case EditorField::Stop: return TranslateText("Stop");
    case EditorField::Record: return TranslateText("Start recording");
    case EditorField::Pick: return TranslateText("Pick point");
  }
  return {};
}

THotkeyEditorDialog::THotkeyEditorDialog(app::Services& services, const HotkeySet& initial,
                                         std::function<std::string(std::uint32_t)> keyName, ApplyFn apply)
    : Form(services.widgets, DialogSpec()),
      cbToggle(Form, {12, 14 + kRowStep * kEditorFieldCount, 396, 20}, ""),
      cbHold(Form, {12, 38 + kRowStep * kEditorFieldCount, 396, 20}, ""),
      btnDefaults(Form, {12, 192, 100, 25}, ""),
      btnOk(Form, {232, 192, 85, 25}, ""),
      btnCancel(Form, {323, 192, 85, 25}, ""),
      services_(services),
      editor_(initial),
      keyName_(std::move(keyName)),
      apply_(std::move(apply)) {
  for (int i = 0; i < kEditorFieldCount; ++i) {
    const int top = kRowTop + kRowStep * i;
    const EditorField field = FieldAt(i);
    lblNames[i] = std::make_unique<ui::Label>(Form, ui::Rect{12, top + 4, 130, 17}, "");
    edtKeys[i] = std::make_unique<ui::HotkeyField>(Form, ui::Rect{146, top, 176, 23});
    btnClear[i] = std::make_unique<ui::Button>(Form, ui::Rect{328, top, 80, 23}, "");
    edtKeys[i]->OnFocus = [this, field] { FieldFocused(field); };
    edtKeys[i]->OnKey = [this, field](std::uint32_t vk, std::uint32_t mods) { FieldKey(field, vk, mods); };
    edtKeys[i]->OnButton = [this, field](std::uint32_t vk, std::uint32_t mods) { FieldButton(field, vk, mods); };
    btnClear[i]->OnClick = [this, field] { ClearClick(field); };
  }
  cbToggle.SetChecked(initial.modes.toggle);
  cbHold.SetChecked(initial.modes.hold);
  cbToggle.OnClick = [this] { editor_.SetModes({cbToggle.Checked(), cbHold.Checked()}); };
  cbHold.OnClick = [this] { editor_.SetModes({cbToggle.Checked(), cbHold.Checked()}); };
  btnDefaults.OnClick = [this] { DefaultsClick(); };
  btnOk.OnClick = [this] { OkClick(); };
  btnCancel.OnClick = [this] { CancelClick(); };
  // The close box and the window manager's close are a Cancel.
  Form.OnClose = [this] { open_ = false; };
  Form.OnShow = [this] {
    const auto first = editor_.Listening();
    if (first) edtKeys[static_cast<int>(*first)]->SetFocus();
  };
}

bool THotkeyEditorDialog::Execute() {
  Form.SetCaption(TranslateText("Hotkeys"));
  for (int i = 0; i < kEditorFieldCount; ++i) {
    lblNames[i]->SetCaption(TranslateText(kFieldLabels[i]));
    btnClear[i]->SetCaption(TranslateText("Clear"));
  }
  cbToggle.SetCaption(TranslateText("Start hotkey also stops"));
  cbHold.SetCaption(TranslateText("Click only while the start hotkey is held"));
  btnDefaults.SetCaption(TranslateText("Defaults"));
  btnOk.SetCaption(TranslateText("OK"));
  btnCancel.SetCaption(TranslateText("Cancel"));
  ShowValues();
  accepted_ = false;
  open_ = true;
  Form.ShowModal();
  open_ = false;
  return accepted_;
}

void THotkeyEditorDialog::ShowValues() {
  const auto listening = editor_.Listening();
  for (int i = 0; i < kEditorFieldCount; ++i) {
    const THotkeyData& hk = editor_.Values()[FieldAt(i)];
    const std::string text = HotkeyToText(hk.Vk, hk.Modifiers, keyName_);
    edtKeys[i]->SetCaption(hk.Vk == 0 ? TranslateText("(none)") : text);
    edtKeys[i]->SetListening(listening == FieldAt(i));
  }
}

void THotkeyEditorDialog::FieldFocused(EditorField field) {
  editor_.Listen(field);
  ShowValues();
}

void THotkeyEditorDialog::FieldKey(EditorField, std::uint32_t vk, std::uint32_t modifiers) {
  // After Esc the focused field no longer listens: keys are then ignored until the user
  // clicks a field or tabs to one, and a second Esc is the dialog's Cancel.
  switch (editor_.KeyPressed(vk, modifiers)) {
    case EditorKey::Captured:
    case EditorKey::MovedOn:
      ShowListening();
      break;
    case EditorKey::ListeningEnded:
      ShowValues();
      break;
    case EditorKey::Accept:
      OkClick();
      break;
    case EditorKey::Ignored:
      // Esc with no field listening is the dialog's own Esc: Cancel.
      if (vk == kVkEscape && (modifiers & (kModAlt | kModControl | kModShift | kModWin)) == 0) CancelClick();
      break;
  }
}

void THotkeyEditorDialog::FieldButton(EditorField field, std::uint32_t vk, std::uint32_t modifiers) {
  if (editor_.ButtonPressed(field, vk, modifiers))
    ShowListening();
  else
    ShowValues();
}

void THotkeyEditorDialog::ShowListening() {
  ShowValues();
  if (const auto next = editor_.Listening()) edtKeys[static_cast<int>(*next)]->SetFocus();
}

void THotkeyEditorDialog::ClearClick(EditorField field) {
  editor_.Clear(field);
  ShowValues();
}

void THotkeyEditorDialog::DefaultsClick() {
  editor_.Defaults();
  cbToggle.SetChecked(false);
  cbHold.SetChecked(false);
  editor_.SetModes({});
  ShowValues();
}

void THotkeyEditorDialog::OkClick() {
  if (!open_) return;
  editor_.StopListening();
  ShowValues();
  if (const auto twice = editor_.Duplicate()) {
    services_.dialogs.MessageBox(
        ui::MsgKind::Warning,
        i18n::FormatText(TranslateText("%s and %s have the same hotkey. Choose another one for one of them."),
                         {FieldName(twice->first), FieldName(twice->second)}),
        ui::MsgButtons::Ok);
    return;
  }
  if (apply_) {
    if (const auto refused = apply_(editor_.Values())) {
      const THotkeyData& hk = editor_.Values()[*refused];
      services_.dialogs.MessageBox(
          ui::MsgKind::Warning,
          i18n::FormatText(TranslateText("The hotkey %s (%s) cannot be used: another program holds it."),
                           {HotkeyToText(hk.Vk, hk.Modifiers, keyName_), FieldName(*refused)}),
          ui::MsgButtons::Ok);
      return;
    }
  }
  Finish(true);
}

void THotkeyEditorDialog::CancelClick() { Finish(false); }

void THotkeyEditorDialog::Finish(bool accepted) {
  accepted_ = accepted;
  open_ = false;
  Form.Close();
}

}  // namespace hotkeys
