#include "linux/CurlHttp.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <mutex>
#include <string>

#include "base/TextCase.h"

namespace linuxdesktop {

namespace {

// How long one wait for the network lasts before the UI thread gets its turn.
constexpr int kServeQueueEveryMs = 50;

struct EasyDeleter {
  void operator()(CURL* c) const { curl_easy_cleanup(c); }
};
struct MultiDeleter {
  void operator()(CURLM* m) const { curl_multi_cleanup(m); }
};
struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using Easy = std::unique_ptr<CURL, EasyDeleter>;


std::string Trimmed(std::string s) {
  while (!s.empty() && (s.back() == '\r' || s.back() == '\n' || s.back() == ' ' || s.back() == '\t')) s.pop_back();
  size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  return s.substr(i);
}

// What one transfer learns from the headers of the answer in hand (the last one when
// redirects are followed).
struct Headers {
  std::string statusLine;
  std::string transferEncoding;

  static size_t Collect(char* data, size_t size, size_t count, void* self) {
    auto* h = static_cast<Headers*>(self);
    const std::string line(data, size * count);
    if (text::StartsWithIgnoreCase(line, "HTTP/")) {
      h->statusLine = Trimmed(line);
      h->transferEncoding.clear();
    } else if (text::StartsWithIgnoreCase(line, "transfer-encoding:")) {
      h->transferEncoding = Trimmed(line.substr(std::strlen("transfer-encoding:")));
    }
    return size * count;
  }
};

size_t AppendToString(char* data, size_t size, size_t count, void* out) {
  static_cast<std::string*>(out)->append(data, size * count);
  return size * count;
}

size_t WriteToFile(char* data, size_t size, size_t count, void* file) {
  return std::fwrite(data, 1, size * count, static_cast<std::FILE*>(file));
}

bool IsHttps(const std::string& url) { return text::StartsWithIgnoreCase(url, "https://"); }

// The settings every request shares. Certificates and host names are always checked, and
// a request that began over TLS never follows a redirect to plain http.
void Configure(CURL* c, const std::string& url, const platform::HttpOptions& o, Headers& headers,
               char* errorBuffer, const std::string& caFile) {
  curl_easy_setopt(c, CURLOPT_URL, url.c_str());
  curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, IsHttps(url) ? "https" : "http,https");
  curl_easy_setopt(c, CURLOPT_USERAGENT, o.userAgent.c_str());
  curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, o.followRedirects ? 1L : 0L);
  curl_easy_setopt(c, CURLOPT_MAXREDIRS, static_cast<long>(o.followRedirects ? o.maxRedirects : 0));
  curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(c, CURLOPT_SSL_VERIFYHOST, 2L);
  if (!caFile.empty()) {
    curl_easy_setopt(c, CURLOPT_CAINFO, caFile.c_str());
    curl_easy_setopt(c, CURLOPT_CAPATH, nullptr);
  }
  curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errorBuffer);
  curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, &Headers::Collect);
  curl_easy_setopt(c, CURLOPT_HEADERDATA, &headers);
  if (o.connectTimeoutMs > 0) curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(o.connectTimeoutMs));
  if (o.readTimeoutMs > 0) {
    // libcurl has no per-read time-out: "less than one byte a second for that long" is one.
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, static_cast<long>((o.readTimeoutMs + 999) / 1000));
  }
}

std::string CurlError(CURLcode code, const char* errorBuffer) {
  if (errorBuffer && errorBuffer[0]) return errorBuffer;
  return curl_easy_strerror(code);
}

// The transfer ended; did it bring a proper answer?
bool Finish(CURL* c, CURLcode code, const char* errorBuffer, const Headers& headers, std::string& error) {
  if (code != CURLE_OK) {
    error = CurlError(code, errorBuffer);
    return false;
  }
  long status = 0;
  curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
  if (status < 200 || status > 299) {
    // A redirect that is not followed is a failure too.
    error = headers.statusLine.empty() ? "HTTP status " + std::to_string(status) : headers.statusLine;
    return false;
  }
  return true;
}

class CurlClient : public platform::HttpClient {
 public:
  CurlClient(ui::MessageQueue* queue, std::string caFile) : queue_(queue), caFile_(std::move(caFile)) {}

  bool Get(const std::string& url, const platform::HttpOptions& options, std::string& body,
           std::string& error) override {
    Easy c(curl_easy_init());
    if (!c) {
      error = "cannot create an HTTP request";
      return false;
    }
    char errorBuffer[CURL_ERROR_SIZE] = {};
    Headers headers;
    Configure(c.get(), url, options, headers, errorBuffer, caFile_);
    std::string received;
    curl_easy_setopt(c.get(), CURLOPT_WRITEFUNCTION, &AppendToString);
    curl_easy_setopt(c.get(), CURLOPT_WRITEDATA, &received);
    const CURLcode code = curl_easy_perform(c.get());
    if (!Finish(c.get(), code, errorBuffer, headers, error)) return false;
    body = std::move(received);
    return true;
  }

  bool Download(const std::string& url, const platform::HttpOptions& options, const std::string& file,
                const std::function<void(const platform::HttpProgress&)>& progress,
                std::string& error) override {
    // Never through a link: whoever could place one would choose what gets overwritten.
    const int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    std::unique_ptr<std::FILE, FileCloser> out(fd >= 0 ? fdopen(fd, "wb") : nullptr);
    if (!out && fd >= 0) close(fd);
    if (!out) {
      error = "Cannot create file \"" + file + "\". " + std::strerror(errno);
      return false;
    }
    Easy c(curl_easy_init());
    std::unique_ptr<CURLM, MultiDeleter> multi(curl_multi_init());
    if (!c || !multi) {
      error = "cannot create an HTTP request";
      return false;
    }
    char errorBuffer[CURL_ERROR_SIZE] = {};
    Headers headers;
    Configure(c.get(), url, options, headers, errorBuffer, caFile_);
    curl_easy_setopt(c.get(), CURLOPT_WRITEFUNCTION, &WriteToFile);
    curl_easy_setopt(c.get(), CURLOPT_WRITEDATA, out.get());

    Progress state{c.get(), &headers, &progress, nullptr};
    curl_easy_setopt(c.get(), CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(c.get(), CURLOPT_XFERINFOFUNCTION, &Progress::Report);
    curl_easy_setopt(c.get(), CURLOPT_XFERINFODATA, &state);

    // The transfer runs on this (the UI) thread in small steps, serving the queue between
    // them, so the window repaints and its buttons work while the network is slow.
    curl_multi_add_handle(multi.get(), c.get());
    CURLcode result = CURLE_OK;
    bool done = false;
    while (!done) {
      int running = 0;
      const CURLMcode mc = curl_multi_perform(multi.get(), &running);
      if (mc != CURLM_OK) {
        curl_multi_remove_handle(multi.get(), c.get());
        error = curl_multi_strerror(mc);
        return false;
      }
      int left = 0;
      while (CURLMsg* msg = curl_multi_info_read(multi.get(), &left)) {
        if (msg->msg == CURLMSG_DONE) {
          result = msg->data.result;
          done = true;
        }
      }
      if (done || running == 0) break;
      curl_multi_poll(multi.get(), nullptr, 0, kServeQueueEveryMs, nullptr);
      if (queue_) queue_->ProcessMessages();
    }
    curl_multi_remove_handle(multi.get(), c.get());
    if (state.failure) {
      try {
        std::rethrow_exception(state.failure);
      } catch (const std::exception& e) {
        error = e.what();
      } catch (...) {
        error = "The transfer was stopped.";
      }
      return false;
    }
    if (std::fflush(out.get()) != 0) {
      error = "Cannot write file \"" + file + "\". " + std::strerror(errno);
      return false;
    }
    return Finish(c.get(), result, errorBuffer, headers, error);
  }

 private:
  struct Progress {
    CURL* easy;
    Headers* headers;
    const std::function<void(const platform::HttpProgress&)>* handler;
    std::exception_ptr failure;

    // An exception must not cross libcurl: it is kept, the transfer is stopped, and
    // Download reports the exception's text.
    static int Report(void* self, curl_off_t, curl_off_t now, curl_off_t, curl_off_t) {
      auto* s = static_cast<Progress*>(self);
      if (s->failure) return 1;
      if (!s->handler || !*s->handler) return 0;
      platform::HttpProgress p;
      p.count = static_cast<std::uint64_t>(std::max<curl_off_t>(now, 0));
      curl_off_t length = -1;
      if (curl_easy_getinfo(s->easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) != CURLE_OK) length = -1;
      p.contentLength = length;
      p.transferEncoding = s->headers->transferEncoding;
      try {
        (*s->handler)(p);
      } catch (...) {
        s->failure = std::current_exception();
        return 1;
      }
      return 0;
    }
  };

  ui::MessageQueue* queue_;
  std::string caFile_;
};

class CurlFactory : public platform::HttpClientFactory {
 public:
  CurlFactory(ui::MessageQueue* queue, std::string caFile) : queue_(queue), caFile_(std::move(caFile)) {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
  }
  std::unique_ptr<platform::HttpClient> Create() override {
    return std::make_unique<CurlClient>(queue_, caFile_);
  }

 private:
  ui::MessageQueue* queue_;
  std::string caFile_;
};

}  // namespace

std::unique_ptr<platform::HttpClientFactory> MakeCurlHttpFactory() {
  return std::make_unique<CurlFactory>(nullptr, std::string());
}

std::unique_ptr<platform::HttpClientFactory> MakeCurlHttpFactory(ui::MessageQueue& queue) {
  return std::make_unique<CurlFactory>(&queue, std::string());
}

std::unique_ptr<platform::HttpClientFactory> MakeCurlHttpFactoryTrusting(ui::MessageQueue& queue,
                                                                         const std::string& caFile) {
  return std::make_unique<CurlFactory>(&queue, caFile);
}

}  // namespace linuxdesktop
