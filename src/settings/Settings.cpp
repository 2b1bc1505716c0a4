#include <algorithm>
#include <cstdint>
#include <iterator>
#include <stdexcept>
#include <string>

#include "app/FrmMain.h"
#include "base/ClickChoices.h"
#include "clicker/DiscPoint.h"
#include "clicker/IntervalDraw.h"
#include "i18n/Format.h"
#include "i18n/Translation.h"
#include "macros/PlaybackSpeed.h"
#include "platform/Files.h"
#include "settings/DataFolder.h"
#include "settings/ProfileInteger.h"

namespace {

// One key of the settings file: where it lives, the value it falls back to when it is
// missing or not a number, how a value read is applied to the window, and what is saved.
// The table's order is the order of reading and of writing.
struct SettingKey {
  const char* section;
  const char* key;
  int (*fallback)(TFrmMain&);
  void (*apply)(TFrmMain&, int);
  int (*saved)(TFrmMain&);
};

int Bool(bool b) { return b ? 1 : 0; }
// Hotkey values travel as the signed decimal text of their 32 bits: -1 is 4294967295.
int Bits(std::uint32_t v) { return static_cast<int>(v); }
std::uint32_t Bits(int v) { return static_cast<std::uint32_t>(v); }

void ApplyMode(TFrmMain& f, int mode) {
  // Any other number leaves the target as it is.
  if (mode == tmCursorPosition) f.rbCurrentCursorPosition.SetChecked(true);
  if (mode == tmCoordinates) f.rbCoordinates.SetChecked(true);
  if (mode == tmMacros) f.rbMacros.SetChecked(true);
}

const SettingKey kSettingKeys[] = {
    {"Target", "mode", [](TFrmMain&) { return int{tmCursorPosition}; }, ApplyMode,
     [](TFrmMain& f) { return f.GetTargetMode(); }},
    {"Interval", "h", [](TFrmMain& f) { return f.seHours.Value(); },
     [](TFrmMain& f, int v) { f.seHours.SetValue(v); }, [](TFrmMain& f) { return f.seHours.Value(); }},
    {"Interval", "m", [](TFrmMain& f) { return f.seMinutes.Value(); },
     [](TFrmMain& f, int v) { f.seMinutes.SetValue(v); },
     [](TFrmMain& f) { return f.seMinutes.Value(); }},
    {"Interval", "s", [](TFrmMain& f) { return f.seSeconds.Value(); },
     [](TFrmMain& f, int v) { f.seSeconds.SetValue(v); },
     [](TFrmMain& f) { return f.seSeconds.Value(); }},
    {"Interval", "ms", [](TFrmMain& f) { return f.seMillis.Value(); },
     [](TFrmMain& f, int v) { f.seMillis.SetValue(v); }, [](TFrmMain& f) { return f.seMillis.Value(); }},
    {"Interval", "jitterEnabled", [](TFrmMain& f) { return Bool(f.chkJitter.Checked()); },
     [](TFrmMain& f, int v) {
       f.chkJitter.SetChecked(v != 0);
       f.chkJitterClick();  // also when the box did not change
     },
     [](TFrmMain& f) { return Bool(f.chkJitter.Checked()); }},
    {"Interval", "jitterMs", [](TFrmMain& f) { return f.seJitterMs.Value(); },
     [](TFrmMain& f, int v) { f.seJitterMs.SetValue(v); },
     [](TFrmMain& f) { return f.seJitterMs.Value(); }},
    {"Repeat", "untilStopped", [](TFrmMain&) { return 1; },
     [](TFrmMain& f, int v) {
       f.rbUntilStopped.SetChecked(v != 0);
       f.rbRepeatCount.SetChecked(!f.rbUntilStopped.Checked());
     },
     [](TFrmMain& f) { return Bool(f.rbUntilStopped.Checked()); }},
    {"Repeat", "count", [](TFrmMain& f) { return f.seRepeat.Value(); },
     [](TFrmMain& f, int v) { f.seRepeat.SetValue(v); }, [](TFrmMain& f) { return f.seRepeat.Value(); }},
    // An index outside the list is handed over as it is; the list shows no selection then.
    {"Click", "button", [](TFrmMain& f) { return f.cbButton.ItemIndex(); },
     [](TFrmMain& f, int v) { f.cbButton.SetItemIndex(v); },
     [](TFrmMain& f) { return f.cbButton.ItemIndex(); }},
    {"Click", "type", [](TFrmMain& f) { return f.cbClickType.ItemIndex(); },
     [](TFrmMain& f, int v) {
       f.cbClickType.SetItemIndex(v);
       f.cbClickTypeChange();  // setting the index from the program runs no handler
     },
     [](TFrmMain& f) { return f.cbClickType.ItemIndex(); }},
    {"Click", "holdMs", [](TFrmMain& f) { return f.seHoldMs.Value(); },
     [](TFrmMain& f, int v) { f.seHoldMs.SetValue(v); }, [](TFrmMain& f) { return f.seHoldMs.Value(); }},
    // "topMost" comes before "minimizeOnStart": with both on, the second one wins, since
    // checking it unchecks "Always on top".
    {"UI", "topMost", [](TFrmMain& f) { return Bool(f.chkTopMost.Checked()); },
     [](TFrmMain& f, int v) { f.chkTopMost.SetChecked(v != 0); },
     [](TFrmMain& f) { return Bool(f.chkTopMost.Checked()); }},
    {"Delay", "startDelayS", [](TFrmMain& f) { return f.seStartDelaySS.Value(); },
     [](TFrmMain& f, int v) { f.seStartDelaySS.SetValue(v); },
     [](TFrmMain& f) { return f.seStartDelaySS.Value(); }},
    {"UI", "minimizeOnStart", [](TFrmMain&) { return 0; },
     [](TFrmMain& f, int v) { f.chkMinimizeToTrayOnStart.SetChecked(v != 0); },
     [](TFrmMain& f) { return Bool(f.chkMinimizeToTrayOnStart.Checked()); }},
    {"HotkeyStart", "vk", [](TFrmMain& f) { return Bits(f.FStartHK.Vk); },
     [](TFrmMain& f, int v) { f.FStartHK.Vk = Bits(v); }, [](TFrmMain& f) { return Bits(f.FStartHK.Vk); }},
    {"HotkeyStart", "mod", [](TFrmMain& f) { return Bits(f.FStartHK.Modifiers); },
     [](TFrmMain& f, int v) { f.FStartHK.Modifiers = Bits(v); },
     [](TFrmMain& f) { return Bits(f.FStartHK.Modifiers); }},
    {"HotkeyStop", "vk", [](TFrmMain& f) { return Bits(f.FStpHK.Vk); },
     [](TFrmMain& f, int v) { f.FStpHK.Vk = Bits(v); }, [](TFrmMain& f) { return Bits(f.FStpHK.Vk); }},
    {"HotkeyStop", "mod", [](TFrmMain& f) { return Bits(f.FStpHK.Modifiers); },
     [](TFrmMain& f, int v) { f.FStpHK.Modifiers = Bits(v); },
     [](TFrmMain& f) { return Bits(f.FStpHK.Modifiers); }},
    {"HotkeyStartMacros", "vk", [](TFrmMain& f) { return Bits(f.FStartMacrosHK.Vk); },
     [](TFrmMain& f, int v) { f.FStartMacrosHK.Vk = Bits(v); },
     [](TFrmMain& f) { return Bits(f.FStartMacrosHK.Vk); }},
    {"HotkeyStartMacros", "mod", [](TFrmMain& f) { return Bits(f.FStartMacrosHK.Modifiers); },
     [](TFrmMain& f, int v) { f.FStartMacrosHK.Modifiers = Bits(v); },
     [](TFrmMain& f) { return Bits(f.FStartMacrosHK.Modifiers); }},
    // The start hotkey's modes and the pick hotkey: keys an older copy never reads.
    {"HotkeyStart", "toggle", [](TFrmMain& f) { return Bool(f.FHotkeyModes.toggle); },
     [](TFrmMain& f, int v) { f.FHotkeyModes.toggle = v != 0; },
     [](TFrmMain& f) { return Bool(f.FHotkeyModes.toggle); }},
    {"HotkeyStart", "hold", [](TFrmMain& f) { return Bool(f.FHotkeyModes.hold); },
     [](TFrmMain& f, int v) { f.FHotkeyModes.hold = v != 0; },
     [](TFrmMain& f) { return Bool(f.FHotkeyModes.hold); }},
    {"HotkeyPick", "vk", [](TFrmMain& f) { return Bits(f.FPickHK.Vk); },
     [](TFrmMain& f, int v) { f.FPickHK.Vk = Bits(v); }, [](TFrmMain& f) { return Bits(f.FPickHK.Vk); }},
    {"HotkeyPick", "mod", [](TFrmMain& f) { return Bits(f.FPickHK.Modifiers); },
     [](TFrmMain& f, int v) { f.FPickHK.Modifiers = Bits(v); },
     [](TFrmMain& f) { return Bits(f.FPickHK.Modifiers); }},
    {"Coords", "x", [](TFrmMain& f) { return f.edtCoordX.Value(); },
     [](TFrmMain& f, int v) { f.edtCoordX.SetValue(v); }, [](TFrmMain& f) { return f.edtCoordX.Value(); }},
    {"Coords", "y", [](TFrmMain& f) { return f.edtCoordY.Value(); },
     [](TFrmMain& f, int v) { f.edtCoordY.SetValue(v); }, [](TFrmMain& f) { return f.edtCoordY.Value(); }},
    // Applied to the list once it has been filled from the macro folder.
    {"Macros", "selected", [](TFrmMain&) { return -1; },
     [](TFrmMain& f, int v) { f.FPendingSelectedMacroIndex = v; },
     [](TFrmMain& f) { return f.lbMacroses.ItemIndex(); }},
    // Both off unless asked for: a recording made with an older copy in mind stays mouse only.
    {"Macros", "recordKeys", [](TFrmMain&) { return 0; },
     [](TFrmMain& f, int v) { f.FRecordKeys = v != 0; }, [](TFrmMain& f) { return Bool(f.FRecordKeys); }},
    {"Macros", "recordWheel", [](TFrmMain&) { return 0; },
     [](TFrmMain& f, int v) { f.FRecordWheel = v != 0; }, [](TFrmMain& f) { return Bool(f.FRecordWheel); }},
    // The options come last, in keys an older copy passes over. Numbers out of range
    // are held to the nearer end, as the spin fields do; an unknown mode is left alone.
    {"Coords", "radius", [](TFrmMain& f) { return f.FRadius; },
     [](TFrmMain& f, int v) { f.FRadius = std::clamp(v, 0, clicker::kMaxRadius); }, [](TFrmMain& f) { return f.FRadius; }},
    {"Interval", "jitterMode", [](TFrmMain& f) { return f.FJitterMode; },
     [](TFrmMain& f, int v) {
       if (v >= 0 && v < clicker::kJitterModeCount) f.FJitterMode = v;
     },
     [](TFrmMain& f) { return f.FJitterMode; }},
    {"UI", "cornerStop", [](TFrmMain& f) { return Bool(f.FCornerStop); },
     [](TFrmMain& f, int v) { f.FCornerStop = v != 0; }, [](TFrmMain& f) { return Bool(f.FCornerStop); }},
    {"Macros", "speed", [](TFrmMain& f) { return f.FSpeed; },
     [](TFrmMain& f, int v) { f.FSpeed = std::clamp(v, macros::kMinSpeed, macros::kMaxSpeed); },
     [](TFrmMain& f) { return f.FSpeed; }},
};

static_assert(std::size(kSettingKeys) == 34);

}  // namespace

void TFrmMain::LoadSettings() {
  const std::string file = settings::GetSettingsFileName(svc_.env);
  if (!platform::files::FileExists(file)) {
    // First start: the start-up values stay, and so do the default hotkeys already held.
    rbCurrentCursorPosition.SetChecked(true);
    rbCurrentCursorPositionClick();
    return;
  }
  for (const SettingKey& k : kSettingKeys)
    k.apply(*this, settings::ReadProfileInteger(svc_.profile, file, k.section, k.key, k.fallback(*this)));
  RegisterHotkeys();
  // Checking a radio button ran its handler already, but only when it changed.
  if (rbCurrentCursorPosition.Checked())
    rbCurrentCursorPositionClick();
  else if (rbCoordinates.Checked())
    rbCoordinatesClick();
  else
    rbMacrosClick();
}

void TFrmMain::SaveSettings() {
  const std::string file = settings::GetSettingsFileName(svc_.env);
  for (const SettingKey& k : kSettingKeys) {
    // The first key that cannot be written ends the save; the top-level handler shows it.
    if (!svc_.profile.WriteString(file, k.section, k.key, std::to_string(k.saved(*this))))
      throw std::runtime_error(i18n::FormatText(TranslateText("Unable to write to %s"), {file}));
  }
}

int TFrmMain::GetTargetMode() const {
  if (rbCurrentCursorPosition.Checked()) return tmCursorPosition;
  if (rbCoordinates.Checked()) return tmCoordinates;
  return tmMacros;
}
