#pragma once

#include <string>

#include "app/Services.h"
#include "platform/Http.h"
#include "ui/WidgetFactory.h"
#include "update/SignedRelease.h"

namespace update {

// The update dialog: what is new, "Update Now", and "Skip" / "Exit" / "Abort".
// Its Tag tells the start-up what to do once it has closed: 1 go on, 0 end the program.
class TfrmNewVersion {
 public:
  // `releaseKey`: the public key a download must be signed with (base64).
  explicit TfrmNewVersion(app::Services& services, std::string releaseKey = ShippedReleaseKey());

  ui::Window Form;
  ui::Image VirtualImage1;
  ui::Label Label1;
  ui::ProgressBar ProgressBar1;
  ui::Button btUpdateNow;
  ui::Button btCancel;
  int Tag = 1;

  void FormShow();
  void FormClose();
  void btCancelClick();
  void btUpdateNowClick();

 private:
  void DownloadWork(const platform::HttpProgress& progress);
  // A close from the program: the peer only reports the user's closes, so the close
  // handler runs here.
  void CloseDialog();
  // Deletes the download and fails with the reason unless the maker signed it.
  void RefuseUnlessSigned(const std::string& file);

  app::Services& services_;
  std::string releaseKey_;
  bool downloading_ = false;
};

}  // namespace update
