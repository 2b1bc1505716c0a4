#pragma once

#include <string>
#include <vector>

#include "platform/Http.h"
#include "platform/System.h"

namespace update {

// Process-wide state of the update check, touched only by the UI thread.
// Closing the update dialog ends the program once this is set; never cleared.
extern bool MandatoryUpdate;
// The user asked to abort the running download.
extern bool DownloadCancelRequested;
// What the update dialog shows, composed by the check.
extern std::string UpdateMessage;
// The latest number of the version page and its further lines (the signatures of the
// offered packages), kept by the check for the download.
extern int OfferedVersion;
extern std::vector<std::string> OfferedSignatureLines;
// Back to the values at program start (for tests).
void ResetUpdateState();

inline constexpr const char* kUserAgent = "Mozilla/4.0 (compatible; MyApp)";
inline constexpr const char* kVersionPagePath = "/download/version/rizavurozadada-version.html";
inline constexpr const char* kChangesPagePath = "/download/version/rizavurozadada-changes.html";
// The two editions' packages on the server and in the temporary folder; each edition's
// platform::UpdatePackage names its own.
inline constexpr const char* kWindowsInstallerPath = "/download/rizavurozadada.exe";
inline constexpr const char* kWindowsInstallerFileName = "qel_update.exe";
inline constexpr const char* kLinuxPackagePath = "/download/rizavurozadada.deb";
inline constexpr const char* kLinuxPackageFileName = "qel_update.deb";
// Environment variable that points the program at another update server (tests).
inline constexpr const char* kUpdateUrlVariable = "QEL_UPDATE_URL";
// Nothing on the network may hold the start-up for long before a connection exists.
inline constexpr int kConnectTimeoutMs = 5000;
inline constexpr int kReadTimeoutMs = 10000;

// True for an https address, and for plain http only when it names this machine
// (127.0.0.1, localhost, [::1]): the update server is never trusted over plain http.
bool IsAcceptableServerUrl(const std::string& url);
// The update server's address without a trailing "/": the shipped one, or an acceptable
// override from QEL_UPDATE_URL.
std::string UpdateBaseUrl(platform::Environment& env);

// Request settings of the two pages and of the installer.
platform::HttpOptions PageRequestOptions();
platform::HttpOptions InstallerRequestOptions();

// UTF-8 text to lines: a leading byte-order mark is skipped; CR LF, LF and CR end lines.
std::vector<std::string> SplitLines(const std::string& text);
// Parses "latest/minimum"; throws std::runtime_error when it is not that.
void ParseVersionLine(const std::string& line, int& latest, int& minimum);
// 25 -> "2.5", 100 -> "10.0".
std::string DisplayVersion(int latest);
// Replaces the one "%s" of a translated text; throws std::runtime_error when the text
// holds any other placeholder ("%%" is a percent sign).
std::string FormatHeadline(const std::string& format, const std::string& value);

// Asks the update server; true when the update dialog is to be shown (UpdateMessage and,
// for a mandatory update, MandatoryUpdate are then set). Never throws: any failure is false.
bool CheckForNewVersion(platform::HttpClientFactory& http, platform::Environment& env);

}  // namespace update
