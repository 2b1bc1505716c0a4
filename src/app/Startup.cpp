#include "app/Startup.h"

#include "app/FrmMain.h"
#include "i18n/Translation.h"
#include "ui/Guard.h"
#include "update/UpdateGate.h"

namespace app {

int RunApplication(Services& services, const std::function<void()>& runMessageLoop) {
  ui::SetErrorReporter([&services](const std::string& text) {
    services.dialogs.MessageBox(ui::MsgKind::Error, text, ui::MsgButtons::Ok);
  });
  i18n::LoadTranslations(services.registry, services.env);
  bool goOn = true;
  ui::Guarded([&] { goOn = update::RunStartupGate(services); });
  if (!goOn) return 0;

  TFrmMain form(services);
  form.Form.Show();
  runMessageLoop();
  ui::Guarded([&form] { form.FormDestroy(); });
  return 0;
}

}  // namespace app
