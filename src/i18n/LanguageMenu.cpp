#include <cstddef>
#include <initializer_list>
#include <string>
#include <vector>

#include "app/FrmMain.h"
#include "i18n/Translation.h"

void TFrmMain::UpdateLanguageMenu() {
  // Filled once per window; the entries show each language's own name untranslated.
  const auto& table = i18n::LanguageTable();
  for (std::size_t i = 0; i < table.size(); ++i) {
    ui::MenuItem item;
    item.caption = table[i].empty() ? std::string() : table[i][0];
    item.tag = static_cast<int>(i);
    item.checked = static_cast<int>(i) == i18n::CurrentLanguageIndex();
    PopupMenuLang.Add(item);
  }
}

void TFrmMain::btnLangClick() {
  // Below the button, flush with its left edge.
  PopupMenuLang.Popup(btnLang.ClientToScreen({0, btnLang.Height()}));
}

void TFrmMain::MItemClick(int index) {
  const auto& items = PopupMenuLang.Items();
  if (index < 0 || static_cast<std::size_t>(index) >= items.size()) return;
  const int column = items[static_cast<std::size_t>(index)].tag;
  const auto& table = i18n::LanguageTable();
  if (column < 0 || static_cast<std::size_t>(column) >= table.size()) return;

  for (std::size_t i = 0; i < items.size(); ++i) PopupMenuLang.SetChecked(static_cast<int>(i), false);
  i18n::CurrentLanguageIndex() = column;
  PopupMenuLang.SetChecked(index, true);
  const auto& chosen = table[static_cast<std::size_t>(column)];
  i18n::CurrentLanguageCode() = chosen.size() > 1 ? chosen[1] : std::string();
  // A registry that refuses the value only costs the choice at the next start; the
  // language still changes now, and there is nothing the user could do about it.
  i18n::SaveCurrentLanguage(svc_.registry);
  TranslateInterface();
}

namespace {
// The lists are read by index everywhere, so the user's choice survives new item texts.
void TranslateItems(ui::ComboBox& box, std::initializer_list<const char*> english) {
  const int selected = box.ItemIndex();
  std::vector<std::string> items;
  for (const char* text : english) items.push_back(TranslateText(text));
  box.SetItems(items);
  box.SetItemIndex(selected);
}
}  // namespace

void TFrmMain::TranslateInterface() {
  btnLang.SetCaption(i18n::CurrentLanguageCode());
  btnStart.SetCaption(TranslateText("Start"));
  btnStop.SetCaption(TranslateText("Stop"));
  GroupBox1.SetCaption(TranslateText("Target"));
  rbCurrentCursorPosition.SetCaption(TranslateText("Cursor position"));
  rbCoordinates.SetCaption(TranslateText("Coordinates:"));
  edtCoordX.SetHint(TranslateText("Double-click to pick the point on the screen"));
  edtCoordY.SetHint(TranslateText("Double-click to pick the point on the screen"));
  rbMacros.SetCaption(TranslateText("Macros:"));
  btnCreateMacros.SetCaption(TranslateText("Create"));
  bRemove.SetCaption(TranslateText("Remove"));
  bRename.SetCaption(TranslateText("Rename"));
  grpInterval.SetCaption(TranslateText("Click Interval"));
  lblH.SetCaption(TranslateText("Hours"));
  lblM.SetCaption(TranslateText("Minutes"));
  lblS.SetCaption(TranslateText("Seconds"));
  lblMS.SetCaption(TranslateText("Milliseconds"));
  chkJitter.SetCaption(TranslateText("Jitter +/- (ms)"));
  grpClickType.SetCaption(TranslateText("Click Type"));
  TranslateItems(cbButton, {"Left", "Right", "Middle"});
  TranslateItems(cbClickType, {"Single", "Double", "Hold"});
  lblHold.SetCaption(TranslateText("Hold time (ms)"));
  grpDelay.SetCaption(TranslateText("Start Delay"));
  lblDelayMs.SetCaption(TranslateText("Delay (s)"));
  grpClicks.SetCaption(TranslateText("Repeat"));
  rbUntilStopped.SetCaption(TranslateText("Repeat until stopped"));
  rbRepeatCount.SetCaption(TranslateText("Repeat"));
  grpSafety.SetCaption(TranslateText("Additional"));
  chkMinimizeToTrayOnStart.SetCaption(TranslateText("Minimize to tray when starting"));
  chkTopMost.SetCaption(TranslateText("Always on top"));
  btnOptions.SetCaption(TranslateText("Options..."));
  Button1.SetCaption(TranslateText("About..."));
  lblHotkeys.SetCaption(HotkeyCaption());
  lblHotkeys.SetHint(TranslateText("Click to change the hotkeys"));
  SetStatus(TranslateText("Ready"));
}
