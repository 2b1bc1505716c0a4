// TODO(macros): replace these with the real recorder, playback, library and file format.
#include "app/FrmMain.h"

std::string TRecordedMacro::ToText() const { return {}; }
void TRecordedMacro::SaveToFile(const std::string& AFileName) { FFileName = AFileName; }
std::unique_ptr<TRecordedMacro> TRecordedMacro::FromText(const std::string&) {
  return std::make_unique<TRecordedMacro>();
}
std::unique_ptr<TRecordedMacro> TRecordedMacro::LoadFromFile(const std::string& AFileName) {
  auto m = std::make_unique<TRecordedMacro>();
  m->SetFileName(AFileName);
  return m;
}

void TFrmMain::btnCreateMacrosClick() {}
void TFrmMain::BeginRecordingCountdown() {}
void TFrmMain::CountdownTimerTimer() {}
void TFrmMain::StartRecording() {}
void TFrmMain::InstallMouseHook() {}
void TFrmMain::RemoveMouseHook() {}
void TFrmMain::RecordMouseEvent(TMacroEventKind, int, int, int) {}
void TFrmMain::StopRecording(const std::string&) {}
void TFrmMain::HookEvent(int, std::uint32_t, int, int) {}
void TFrmMain::StartMacroPlayback() {}
void TFrmMain::PlayMacro() {}
void TFrmMain::FillMacroList() {}
void TFrmMain::RefreshMacroListBox() {}
MacroPtr TFrmMain::GetSelectedMacro() const { return nullptr; }
void TFrmMain::bRenameClick() {}
void TFrmMain::bRemoveClick() {}
