#include "base/AppInfo.h"
#include "app/FrmMain.h"
#include "i18n/Translation.h"

void TFrmMain::chkTopMostClick() {
  if (chkMinimizeToTrayOnStart.Checked() && chkTopMost.Checked())
    chkMinimizeToTrayOnStart.SetChecked(false);
  Form.SetTopMost(chkTopMost.Checked());
}

void TFrmMain::chkMinimizeToTrayOnStartClick() {
  // Unchecking "Always on top" runs its handler, which takes the window out of the band.
  if (chkMinimizeToTrayOnStart.Checked() && chkTopMost.Checked()) chkTopMost.SetChecked(false);
}

void TFrmMain::TrayIcon1Click() { ShowFromTray(); }

std::string TFrmMain::AboutText() const {
  const platform::LocalDateTime now = svc_.clock.Now();
  const std::string crlf = "\r\n";
  return std::string(app::kAppTitle) + crlf +                                   //
         TranslateText("Version: ") + app::kVersionText + crlf +                 //
         crlf +                                                                  //
         TranslateText("Website: ") + app::kWebsiteHost + crlf +                 //
         crlf +                                                                  //
         TranslateText("This program is free to use. It is provided as is, without any warranty.") +
         crlf +                                                                  //
         crlf +                                                                  //
         "\u00A9 " + std::to_string(now.year) + " QEL Software. " +
         TranslateText("All rights reserved.");
}

void TFrmMain::Button1Click() {
  svc_.dialogs.MessageBox(ui::MsgKind::Information, AboutText(), ui::MsgButtons::Ok);
}

void TFrmMain::Label2Click() { svc_.shell.Open(app::kWebsiteUrl, "open"); }
void TFrmMain::Label2MouseEnter() { Label2.SetUnderline(true); }
void TFrmMain::Label2MouseLeave() { Label2.SetUnderline(false); }
