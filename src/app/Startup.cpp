#include "app/Startup.h"

#include "app/FrmMain.h"
#include "i18n/Translation.h"
#include "ui/Guard.h"
#include "update/UpdateGate.h"

namespace app {

namespace {
// The running main window and whether its destruction has run, for EndSessionNow.
TFrmMain* g_runningForm = nullptr;
bool g_formDestroyed = false;
}  // namespace

void EndSessionNow() {
  if (!g_runningForm || g_formDestroyed) return;
  g_runningForm->Form.UserClosing();
  g_formDestroyed = true;
  ui::Guarded([] { g_runningForm->FormDestroy(); });
}

int RunApplication(Services& services, const std::function<void()>& runMessageLoop) {
  ui::SetErrorReporter([&services](const std::string& text) {
    services.dialogs.MessageBox(ui::MsgKind::Error, text, ui::MsgButtons::Ok);
  });
  i18n::LoadTranslations(services.registry, services.env);
  bool goOn = true;
  ui::Guarded([&] { goOn = update::RunStartupGate(services); });
  if (!goOn) return 0;

  TFrmMain form(services);
  g_runningForm = &form;
  g_formDestroyed = false;
  form.Form.Show();
  runMessageLoop();
  if (!g_formDestroyed) {
    g_formDestroyed = true;
    ui::Guarded([&form] { form.FormDestroy(); });
  }
  g_runningForm = nullptr;
  return 0;
}

}  // namespace app
