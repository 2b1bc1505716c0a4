#include "update/UpdateDialog.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <utility>

#include "base/AppInfo.h"
#include "i18n/Translation.h"
#include "platform/Files.h"
#include "update/SignedRelease.h"
#include "update/VersionCheck.h"

namespace update {

namespace {
ui::WindowSpec DialogSpec() {
  ui::WindowSpec spec;
  spec.clientWidth = 411;
  spec.clientHeight = 172;
  spec.mainWindow = false;
  return spec;
}
}  // namespace

TfrmNewVersion::TfrmNewVersion(app::Services& services, std::string releaseKey)
    : Form(services.widgets, DialogSpec()),
      VirtualImage1(Form, {9, 15, 70, 75}, "update-icon"),
      Label1(Form, {90, 11, 287, 91}, ""),
      ProgressBar1(Form, {8, 115, 369, 17}),
      btUpdateNow(Form, {186, 136, 100, 25}, "Update Now"),
      btCancel(Form, {299, 136, 75, 25}, "Skip"),
      services_(services),
      releaseKey_(std::move(releaseKey)) {
  Label1.SetLayout(false, true);
  ProgressBar1.SetVisible(false);
  Form.OnShow = [this] { FormShow(); };
  Form.OnClose = [this] { FormClose(); };
  // Closing the dialog during a download is its Abort: the dialog stays until the
  // download has ended, which then closes it.
  Form.CanClose = [this] {
    if (!downloading_) return true;
    DownloadCancelRequested = true;
    return false;
  };
  btUpdateNow.OnClick = [this] { btUpdateNowClick(); };
  btCancel.OnClick = [this] { btCancelClick(); };
}

void TfrmNewVersion::FormShow() {
  Tag = 1;
  Form.SetCaption(std::string(" ") + app::kAppTitle);
  btUpdateNow.SetCaption(TranslateText("Update Now"));
  btCancel.SetCaption(MandatoryUpdate ? TranslateText("Exit") : TranslateText("Skip"));
  Label1.SetCaption(UpdateMessage);
}

void TfrmNewVersion::FormClose() {
  if (MandatoryUpdate) Tag = 0;
}

void TfrmNewVersion::CloseDialog() {
  FormClose();
  Form.Close();
}

void TfrmNewVersion::btCancelClick() {
  if (btCancel.Caption() == TranslateText("Abort"))
    DownloadCancelRequested = true;
  else
    CloseDialog();
}

void TfrmNewVersion::btUpdateNowClick() {
  // From here on the program ends when the dialog closes, whatever the download does.
  MandatoryUpdate = true;
  downloading_ = true;
  bool failed = false;
  std::string failure;
  {
    std::unique_ptr<platform::HttpClient> client = services_.http.Create();
    DownloadCancelRequested = false;
    try {
      btCancel.SetCaption(TranslateText("Abort"));
      btUpdateNow.SetEnabled(false);
      ProgressBar1.SetPosition(0);
      ProgressBar1.SetVisible(true);
      ProgressBar1.Repaint();
      services_.queue.ProcessMessages();

      platform::UpdatePackage& package = services_.updatePackage;
      const std::string target = package.NewDownloadPath(services_.env.TempFolder());
      std::string error;
      if (!client->Download(UpdateBaseUrl(services_.env) + package.ServerPath(), InstallerRequestOptions(),
                            target, [this](const platform::HttpProgress& p) { DownloadWork(p); },
                            error))
        throw std::runtime_error(error);
      if (!platform::files::FileExists(target))
        throw std::runtime_error(TranslateText("Cannot find downloaded file."));
      RefuseUnlessSigned(target);
      // The installer runs on its own; its fate is not ours to watch.
      package.Start(target);
    } catch (const std::exception& e) {
      failed = true;
      failure = e.what();
    }
  }
  if (failed) {
    services_.dialogs.MessageBox(
        ui::MsgKind::Error,
        TranslateText("Failed to download update. Please download manually on website.") + "\r\n\r\n" +
            failure,
        ui::MsgButtons::Ok);
    services_.shell.Open(app::kWebsiteUrl, "open");
  }
  downloading_ = false;
  CloseDialog();
}

void TfrmNewVersion::RefuseUnlessSigned(const std::string& file) {
  InstallerCheck check;
  check.pageLines = OfferedSignatureLines;
  check.kind = services_.updatePackage.Kind();
  check.offeredVersion = OfferedVersion;
  check.ownVersion = app::kVersionNumber;
  check.publicKey = releaseKey_;
  std::string bytes;
  InstallerVerdict verdict = InstallerVerdict::NoMatch;
  try {
    if (platform::files::ReadAll(file, bytes)) verdict = JudgeInstaller(check, bytes, services_.crypto);
  } catch (...) {
    // A file that could not be checked is not kept either.
    services_.updatePackage.Discard(file);
    throw;
  }
  if (verdict == InstallerVerdict::Accepted) return;
  services_.updatePackage.Discard(file);
  throw std::runtime_error(RefusalText(verdict));
}

void TfrmNewVersion::DownloadWork(const platform::HttpProgress& progress) {
  if (DownloadCancelRequested)
    throw std::runtime_error(TranslateText("Download is cancelled. Please download manually."));
  std::string encoding = progress.transferEncoding;
  for (char& c : encoding) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  // Without a length there is nothing to measure against: the bar stays where it is.
  if (encoding.find("chunked") != std::string::npos || progress.contentLength <= 0) return;
  const std::int64_t percent =
      static_cast<std::int64_t>(progress.count) * 100 / progress.contentLength;
  // A server may send more than it announced: the bar stays full rather than wrapping.
  ProgressBar1.SetPosition(static_cast<int>(std::clamp<std::int64_t>(percent, 0, 100)));
  ProgressBar1.Repaint();
  services_.queue.ProcessMessages();
}

}  // namespace update
