#include "update/UpdateGate.h"

#include "app/Services.h"
#include "update/UpdateDialog.h"
#include "update/VersionCheck.h"

namespace update {

bool RunStartupGate(app::Services& services) {
  if (!CheckForNewVersion(services.http, services.env)) return true;
  TfrmNewVersion dialog(services);
  dialog.Form.ShowModal();
  return dialog.Tag != 0;
}

}  // namespace update
