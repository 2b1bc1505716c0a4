// TODO(settings): replace with the real data folder, profile file and Load/SaveSettings.
#include "app/FrmMain.h"

void TFrmMain::LoadSettings() { rbCurrentCursorPosition.SetChecked(true); rbCurrentCursorPositionClick(); }
void TFrmMain::SaveSettings() {}
int TFrmMain::GetTargetMode() const {
  if (rbCurrentCursorPosition.Checked()) return 0;
  if (rbCoordinates.Checked()) return 1;
  return 2;
}
