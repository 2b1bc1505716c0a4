#include "update/VersionCheck.h"

#include <cctype>
#include <climits>
#include <memory>
#include <stdexcept>

#include "base/AppInfo.h"
#include "i18n/Translation.h"

namespace update {

bool MandatoryUpdate = false;
bool DownloadCancelRequested = false;
std::string UpdateMessage;
int OfferedVersion = 0;
std::vector<std::string> OfferedSignatureLines;

void ResetUpdateState() {
  MandatoryUpdate = false;
  DownloadCancelRequested = false;
  UpdateMessage.clear();
  OfferedVersion = 0;
  OfferedSignatureLines.clear();
}

namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool StartsWith(const std::string& s, const std::string& prefix) {
  return s.compare(0, prefix.size(), prefix) == 0;
}

// Strict decimal integer: optional sign, digits, nothing else; within the int range.
bool ReadInteger(const std::string& text, int& value) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return false;
  long long v = 0;
  for (; i < text.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
    v = v * 10 + (text[i] - '0');
    if (v > static_cast<long long>(INT_MAX) + 1) return false;
  }
  if (negative) v = -v;
  if (v > INT_MAX || v < INT_MIN) return false;
  value = static_cast<int>(v);
  return true;
}

}  // namespace

bool IsAcceptableServerUrl(const std::string& url) {
  const std::string lower = Lower(url);
  bool secure;
  std::string rest;
  if (StartsWith(lower, "https://")) {
    secure = true;
    rest = lower.substr(8);
  } else if (StartsWith(lower, "http://")) {
    secure = false;
    rest = lower.substr(7);
  } else {
    return false;
  }
  const std::string authority = rest.substr(0, rest.find_first_of("/?#"));
  // A user part would let "http://127.0.0.1@elsewhere" pass for this machine.
  if (authority.empty() || authority.find('@') != std::string::npos) return false;
  std::string host;
  if (authority[0] == '[') {
    const size_t close = authority.find(']');
    if (close == std::string::npos) return false;
    host = authority.substr(0, close + 1);
  } else {
    host = authority.substr(0, authority.find(':'));
  }
  if (host.empty()) return false;
  if (secure) return true;
  return host == "127.0.0.1" || host == "localhost" || host == "[::1]";
}

std::string UpdateBaseUrl(platform::Environment& env) {
#ifdef QEL_UPDATE_BASE_URL
  std::string url = QEL_UPDATE_BASE_URL;
  if (!IsAcceptableServerUrl(url)) url = app::kUpdateBaseUrl;
#else
  std::string url = app::kUpdateBaseUrl;
#endif
  const std::string overrideUrl = env.GetVariable(kUpdateUrlVariable);
  if (!overrideUrl.empty() && IsAcceptableServerUrl(overrideUrl)) url = overrideUrl;
  while (!url.empty() && url.back() == '/') url.pop_back();
  return url;
}

platform::HttpOptions PageRequestOptions() {
  platform::HttpOptions o;
  o.userAgent = kUserAgent;
  o.followRedirects = true;
  o.maxRedirects = 10;
  o.readTimeoutMs = kReadTimeoutMs;
  o.connectTimeoutMs = kConnectTimeoutMs;
  return o;
}

platform::HttpOptions InstallerRequestOptions() {
  platform::HttpOptions o;
  o.userAgent = kUserAgent;
  o.followRedirects = false;
  o.maxRedirects = 0;
  o.readTimeoutMs = 0;
  // The user can abort a slow transfer, but not a connection attempt that never returns.
  o.connectTimeoutMs = kConnectTimeoutMs;
  return o;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t i = StartsWith(text, "\xEF\xBB\xBF") ? 3 : 0;
  std::string line;
  bool pending = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(line);
      line.clear();
      pending = false;
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      line += c;
      pending = true;
    }
  }
  if (pending) lines.push_back(line);
  return lines;
}

void ParseVersionLine(const std::string& line, int& latest, int& minimum) {
  const size_t slash = line.find('/');
  if (slash == std::string::npos) throw std::runtime_error("version line without '/'");
  if (!ReadInteger(line.substr(0, slash), latest) || !ReadInteger(line.substr(slash + 1), minimum))
    throw std::runtime_error("version line is not two numbers");
}

std::string DisplayVersion(int latest) {
  std::string text = std::to_string(latest);
  text.insert(text.size() - 1, ".");
  return text;
}

std::string FormatHeadline(const std::string& format, const std::string& value) {
  std::string out;
  bool used = false;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%') {
      out += format[i];
      continue;
    }
    const char next = i + 1 < format.size() ? format[i + 1] : '\0';
    if (next == '%') {
      out += '%';
    } else if (next == 's' && !used) {
      out += value;
      used = true;
    } else {
      throw std::runtime_error("headline placeholder does not fit");
    }
    ++i;
  }
  return out;
}

bool CheckForNewVersion(platform::HttpClientFactory& http, platform::Environment& env) {
  bool result = false;
  try {
    const std::string base = UpdateBaseUrl(env);
    const platform::HttpOptions options = PageRequestOptions();
    std::vector<std::string> versionLines, changesLines;
    {
      // One client for both pages, gone before the answer is looked at.
      std::unique_ptr<platform::HttpClient> client = http.Create();
      std::string buffer, error;
      if (!client->Get(base + kVersionPagePath, options, buffer, error)) return false;
      versionLines = SplitLines(buffer);
      buffer.clear();
      if (!client->Get(base + kChangesPagePath, options, buffer, error)) return false;
      changesLines = SplitLines(buffer);
    }
    for (size_t i = changesLines.size(); i-- > 0;)
      if (changesLines[i].empty()) changesLines.erase(changesLines.begin() + static_cast<std::ptrdiff_t>(i));

    if (versionLines.empty()) return false;
    int latest = 0, minimum = 0;
    ParseVersionLine(versionLines[0], latest, minimum);
    const std::string display = DisplayVersion(latest);

    // The minimum comes first: a page whose minimum is above this version asks for the
    // update even when its latest number is not newer.
    std::string headline;
    bool mandatory = false, offer = false;
    if (minimum > app::kVersionNumber) {
      headline = FormatHeadline(
          TranslateText("This version of the software is out of date. You must download the current "
                        "version %s to continue using the software."),
          display);
      mandatory = offer = true;
    } else if (latest > app::kVersionNumber) {
      headline = FormatHeadline(TranslateText("The new version %s is available"), display);
      offer = true;
    }
    if (offer) {
      std::string message = headline + "\r\n\r\n" + TranslateText("What's new:") + "\r\n";
      for (const std::string& line : changesLines) message += line + "\r\n";
      UpdateMessage = message;
      OfferedVersion = latest;
      OfferedSignatureLines.assign(versionLines.begin() + 1, versionLines.end());
      if (mandatory) MandatoryUpdate = true;
      result = true;
    }
  } catch (...) {
    result = false;
  }
  return result;
}

}  // namespace update
