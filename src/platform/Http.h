#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace platform {

struct HttpOptions {
  std::string userAgent;
  bool followRedirects = true;
  int maxRedirects = 10;
  int readTimeoutMs = 0;     // 0: none
  int connectTimeoutMs = 0;  // 0: none
};

// What a progress report knows about the answer being received.
struct HttpProgress {
  std::uint64_t count = 0;          // bytes transferred so far
  std::int64_t contentLength = -1;  // -1: not given
  std::string transferEncoding;     // as the server sent it
};

// One HTTP client object. Every failure (network, TLS, time-out, an error status, a
// redirect that is not followed) is reported as false with a text.
class HttpClient {
 public:
  virtual ~HttpClient() = default;
  virtual bool Get(const std::string& url, const HttpOptions& options, std::string& body,
                   std::string& error) = 0;
  // Streams the answer into `file` (created or replaced). `progress` runs on the UI thread;
  // it may throw to abort the transfer, and the UI stays responsive while the client waits.
  virtual bool Download(const std::string& url, const HttpOptions& options,
                        const std::string& file,
                        const std::function<void(const HttpProgress&)>& progress,
                        std::string& error) = 0;
};

class HttpClientFactory {
 public:
  virtual ~HttpClientFactory() = default;
  virtual std::unique_ptr<HttpClient> Create() = 0;
};

}  // namespace platform
