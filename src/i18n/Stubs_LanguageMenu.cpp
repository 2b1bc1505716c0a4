// TODO(i18n): replace with the real language menu and interface translation.
#include "app/FrmMain.h"

void TFrmMain::UpdateLanguageMenu() {}
void TFrmMain::TranslateInterface() {
  lblHotkeys.SetCaption(HotkeyCaption());
  SetStatus("Ready");
}
void TFrmMain::btnLangClick() {}
void TFrmMain::MItemClick(int) {}
