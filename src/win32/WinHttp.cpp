#include "win32/WinHttp.h"

#include <windows.h>
#include <winhttp.h>

#include <atomic>
#include <cstdint>
#include <cwctype>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "win32/Win32ServicesText.h"

namespace win32 {

namespace {

// How long the UI thread waits for the transfer before it serves its queue again.
constexpr DWORD kServeQueueEveryMs = 50;
// A transfer that brings nothing new still reports this often, so an abort is seen.
constexpr DWORD kIdleReportEveryMs = 250;
// After an abort, how long the UI thread waits for the transfer to notice.
constexpr DWORD kAbandonAfterMs = 1000;

std::string SystemText(DWORD code, HMODULE module) {
  wchar_t* text = nullptr;
  const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS |
                      (module ? FORMAT_MESSAGE_FROM_HMODULE : FORMAT_MESSAGE_FROM_SYSTEM);
  const DWORD n = FormatMessageW(flags, module, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring w = n && text ? std::wstring(text, n) : std::wstring();
  if (text) LocalFree(text);
  while (!w.empty() && (w.back() == L'\r' || w.back() == L'\n' || w.back() == L' ')) w.pop_back();
  return win32::WideToUtf8(w);
}

std::string ErrorText(DWORD code) {
  if (code >= WINHTTP_ERROR_BASE && code <= WINHTTP_ERROR_LAST) {
    std::string text = SystemText(code, GetModuleHandleW(L"winhttp.dll"));
    if (!text.empty()) return text;
    switch (code) {
      case ERROR_WINHTTP_TIMEOUT: return "The operation timed out";
      case ERROR_WINHTTP_CANNOT_CONNECT: return "A connection with the server could not be established";
      case ERROR_WINHTTP_CONNECTION_ERROR: return "The connection with the server was reset or terminated";
      case ERROR_WINHTTP_NAME_NOT_RESOLVED: return "The server name or address could not be resolved";
      case ERROR_WINHTTP_SECURE_FAILURE: return "A security error occurred: the server's certificate is not trusted";
      case ERROR_WINHTTP_INVALID_SERVER_RESPONSE: return "The server returned an invalid or unrecognized response";
      case ERROR_WINHTTP_OPERATION_CANCELLED: return "The operation has been canceled";
      default: return "WinHTTP error " + std::to_string(code);
    }
  }
  std::string text = SystemText(code, nullptr);
  return text.empty() ? "System error " + std::to_string(code) : text;
}

struct InternetCloser {
  void operator()(HINTERNET h) const { WinHttpCloseHandle(h); }
};
using Internet = std::unique_ptr<void, InternetCloser>;

struct Failure {
  std::string text;
};
[[noreturn]] void FailWithLastError() { throw Failure{ErrorText(GetLastError())}; }

struct Url {
  bool secure = false;
  std::wstring host;
  INTERNET_PORT port = 0;
  std::wstring pathAndQuery;
};

Url Crack(const std::wstring& url) {
  URL_COMPONENTS c{};
  c.dwStructSize = sizeof(c);
  c.dwSchemeLength = c.dwHostNameLength = c.dwUrlPathLength = c.dwExtraInfoLength = static_cast<DWORD>(-1);
  if (!WinHttpCrackUrl(url.c_str(), static_cast<DWORD>(url.size()), 0, &c)) throw Failure{"Invalid address " + win32::WideToUtf8(url)};
  if (c.nScheme != INTERNET_SCHEME_HTTP && c.nScheme != INTERNET_SCHEME_HTTPS)
    throw Failure{"Unsupported protocol in " + win32::WideToUtf8(url)};
  Url u;
  u.secure = c.nScheme == INTERNET_SCHEME_HTTPS;
  u.host.assign(c.lpszHostName, c.dwHostNameLength);
  u.port = c.nPort;
  u.pathAndQuery.assign(c.lpszUrlPath, c.dwUrlPathLength);
  if (c.lpszExtraInfo) u.pathAndQuery.append(c.lpszExtraInfo, c.dwExtraInfoLength);
  if (u.pathAndQuery.empty()) u.pathAndQuery = L"/";
  return u;
}

// The address a Location header names, seen from the address that answered with it.
std::wstring Resolve(const Url& from, const std::wstring& location) {
  if (location.find(L"://") != std::wstring::npos) return location;
  const std::wstring scheme = from.secure ? L"https:" : L"http:";
  if (location.rfind(L"//", 0) == 0) return scheme + location;
  const std::wstring origin = scheme + L"//" + from.host + L":" + std::to_wstring(from.port);
  if (!location.empty() && location[0] == L'/') return origin + location;
  std::wstring dir = from.pathAndQuery.substr(0, from.pathAndQuery.find_first_of(L"?#"));
  dir = dir.substr(0, dir.rfind(L'/') + 1);
  return origin + dir + location;
}

std::wstring QueryHeader(HINTERNET request, DWORD what) {
  DWORD size = 0;
  WinHttpQueryHeaders(request, what, WINHTTP_HEADER_NAME_BY_INDEX, WINHTTP_NO_OUTPUT_BUFFER, &size,
                      WINHTTP_NO_HEADER_INDEX);
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0) return {};
  std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
  if (!WinHttpQueryHeaders(request, what, WINHTTP_HEADER_NAME_BY_INDEX, value.data(), &size,
                           WINHTTP_NO_HEADER_INDEX))
    return {};
  value.resize(size / sizeof(wchar_t));
  return value;
}

// What a transfer knows about the answer, and where it stands.
struct TransferState {
  std::mutex lock;
  std::uint64_t count = 0;
  std::int64_t contentLength = -1;
  std::string transferEncoding;
};

// One GET through WinHTTP on the calling thread. Redirects are followed here, not by
// WinHTTP, so that the limit and the rule "never from https to http" hold alike on every
// Windows version. `sink` receives the body; `stop` is asked between reads.
class Transfer {
 public:
  Transfer(const platform::HttpOptions& o, TransferState& state) : options_(o), state_(state) {}

  void Run(const std::string& address, const std::function<void(const char*, size_t)>& sink,
           const std::function<bool()>& stop) {
    session_.reset(WinHttpOpen(win32::Utf8ToWide(options_.userAgent).c_str(), WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                               WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session_) FailWithLastError();
    // 0 means no limit to WinHTTP as to us. Finding the server's address is part of the
    // connection attempt and shares its bound.
    WinHttpSetTimeouts(session_.get(), options_.connectTimeoutMs, options_.connectTimeoutMs, 30000,
                       options_.readTimeoutMs);

    std::wstring url = win32::Utf8ToWide(address);
    Url current = Crack(url);
    for (int redirects = 0;; ++redirects) {
      Open(current);
      const DWORD status = StatusCode();
      if (status >= 300 && status <= 399 && options_.followRedirects && status != 304) {
        const std::wstring location = QueryHeader(request(), WINHTTP_QUERY_LOCATION);
        if (location.empty()) throw Failure{StatusLine(status)};
        if (redirects >= options_.maxRedirects)
          throw Failure{"Too many redirects (more than " + std::to_string(options_.maxRedirects) + ")"};
        const std::wstring next = Resolve(current, location);
        const Url target = Crack(next);
        if (current.secure && !target.secure) throw Failure{"Redirect from https to http refused: " + win32::WideToUtf8(next)};
        url = next;
        current = target;
        continue;
      }
      if (status < 200 || status > 299) throw Failure{StatusLine(status)};
      break;
    }
    {
      std::lock_guard<std::mutex> g(state_.lock);
      const std::wstring length = QueryHeader(request(), WINHTTP_QUERY_CONTENT_LENGTH);
      state_.contentLength = length.empty() ? -1 : static_cast<std::int64_t>(_wtoi64(length.c_str()));
      state_.transferEncoding = win32::WideToUtf8(QueryHeader(request(), WINHTTP_QUERY_TRANSFER_ENCODING));
    }
    char buffer[16384];
    for (;;) {
      if (stop && stop()) return;
      // Ask what is there first: a read for a full buffer would wait until it is full.
      DWORD available = 0;
      if (!WinHttpQueryDataAvailable(request(), &available)) FailWithLastError();
      if (available == 0) break;
      DWORD got = 0;
      if (!WinHttpReadData(request(), buffer, available < sizeof(buffer) ? available : sizeof(buffer), &got))
        FailWithLastError();
      if (got == 0) break;
      sink(buffer, got);
      std::lock_guard<std::mutex> g(state_.lock);
      state_.count += got;
    }
    // WinHTTP ends quietly when the server closes early; a stated length tells.
    std::lock_guard<std::mutex> g(state_.lock);
    if (state_.contentLength >= 0 && state_.count < static_cast<std::uint64_t>(state_.contentLength))
      throw Failure{"The connection was closed with " +
                    std::to_string(static_cast<std::uint64_t>(state_.contentLength) - state_.count) +
                    " bytes still to come"};
  }

  // From another thread: ends a transfer that waits on the network.
  void Cancel() {
    std::lock_guard<std::mutex> g(handleLock_);
    cancelled_ = true;
    if (request_) {
      WinHttpCloseHandle(request_);
      request_ = nullptr;
    }
  }

  ~Transfer() {
    Cancel();
    connection_.reset();
    session_.reset();
  }

 private:
  HINTERNET request() {
    std::lock_guard<std::mutex> g(handleLock_);
    if (cancelled_) throw Failure{"The operation has been canceled"};
    return request_;
  }

  void Open(const Url& u) {
    {
      std::lock_guard<std::mutex> g(handleLock_);
      if (request_) WinHttpCloseHandle(request_);
      request_ = nullptr;
    }
    connection_.reset(WinHttpConnect(session_.get(), u.host.c_str(), u.port, 0));
    if (!connection_) FailWithLastError();
    HINTERNET r = WinHttpOpenRequest(connection_.get(), L"GET", u.pathAndQuery.c_str(), nullptr,
                                     WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                     u.secure ? WINHTTP_FLAG_SECURE : 0);
    if (!r) FailWithLastError();
    {
      std::lock_guard<std::mutex> g(handleLock_);
      request_ = r;
      if (cancelled_) throw Failure{"The operation has been canceled"};
    }
    // The wait for the answer's headers has a time-out of its own; it is the read
    // time-out as well.
    if (options_.readTimeoutMs > 0) {
      DWORD responseTimeout = static_cast<DWORD>(options_.readTimeoutMs);
      WinHttpSetOption(r, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &responseTimeout, sizeof(responseTimeout));
    }
    DWORD disable = WINHTTP_DISABLE_REDIRECTS;
    WinHttpSetOption(r, WINHTTP_OPTION_DISABLE_FEATURE, &disable, sizeof(disable));
    // Certificate checks stay at WinHTTP's defaults: nothing is ignored.
    if (!WinHttpSendRequest(request(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0))
      FailWithLastError();
    if (!WinHttpReceiveResponse(request(), nullptr)) FailWithLastError();
  }

  DWORD StatusCode() {
    DWORD status = 0, size = sizeof(status);
    if (!WinHttpQueryHeaders(request(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX))
      FailWithLastError();
    return status;
  }

  std::string StatusLine(DWORD status) {
    const std::string version = win32::WideToUtf8(QueryHeader(request(), WINHTTP_QUERY_VERSION));
    const std::string text = win32::WideToUtf8(QueryHeader(request(), WINHTTP_QUERY_STATUS_TEXT));
    return (version.empty() ? "HTTP" : version) + " " + std::to_string(status) + (text.empty() ? "" : " " + text);
  }

  const platform::HttpOptions options_;
  TransferState& state_;
  Internet session_;
  Internet connection_;
  std::mutex handleLock_;
  HINTERNET request_ = nullptr;
  bool cancelled_ = false;
};

struct HandleCloser {
  void operator()(HANDLE h) const { CloseHandle(h); }
};

// One download's worker side: the transfer, its state and the file it writes.
struct DownloadWork {
  DownloadWork(const platform::HttpOptions& o, HANDLE out)
      : transfer(o, state), file_(out), event(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}
  TransferState state;
  Transfer transfer;
  std::unique_ptr<void, HandleCloser> file_;
  std::unique_ptr<void, HandleCloser> event;
  std::string url, file;
  std::atomic<bool> stop{false}, done{false};
  std::string error;  // read after done

  void Run() {
    try {
      transfer.Run(
          url,
          [this](const char* data, size_t n) {
            DWORD written = 0;
            if (!WriteFile(file_.get(), data, static_cast<DWORD>(n), &written, nullptr) || written != n)
              throw Failure{"Cannot write file \"" + file + "\". " + ErrorText(GetLastError())};
            SetEvent(event.get());
          },
          [this] { return stop.load(); });
    } catch (const Failure& f) {
      error = f.text;
    } catch (const std::exception& e) {
      error = e.what();
    }
    file_.reset();
    done = true;
    SetEvent(event.get());
  }

  static DWORD WINAPI Entry(void* ticket) {
    std::unique_ptr<std::shared_ptr<DownloadWork>> keep(static_cast<std::shared_ptr<DownloadWork>*>(ticket));
    (*keep)->Run();
    return 0;
  }
};

class WinHttpClient : public platform::HttpClient {
 public:
  explicit WinHttpClient(ui::MessageQueue* queue) : queue_(queue) {}

  bool Get(const std::string& url, const platform::HttpOptions& options, std::string& body,
           std::string& error) override {
    TransferState state;
    std::string received;
    try {
      Transfer t(options, state);
      t.Run(url, [&received](const char* data, size_t n) { received.append(data, n); }, nullptr);
    } catch (const Failure& f) {
      error = f.text;
      return false;
    }
    body = std::move(received);
    return true;
  }

  bool Download(const std::string& url, const platform::HttpOptions& options, const std::string& file,
                const std::function<void(const platform::HttpProgress&)>& progress,
                std::string& error) override {
    HANDLE out = CreateFileW(win32::Utf8ToWide(file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) {
      error = "Cannot create file \"" + file + "\". " + ErrorText(GetLastError());
      return false;
    }
    // WinHTTP waits in blocking calls; they run on a worker so that the UI thread keeps
    // serving its queue, and every progress report is made on the UI thread. The worker
    // shares ownership of what it touches: after an abort that the network does not let
    // it notice, the UI thread goes on without it.
    auto work = std::make_shared<DownloadWork>(options, out);
    work->url = url;
    work->file = file;
    auto* ticket = new std::shared_ptr<DownloadWork>(work);
    HANDLE worker = CreateThread(nullptr, 0, &DownloadWork::Entry, ticket, 0, nullptr);
    if (!worker) {
      delete ticket;
      error = ErrorText(GetLastError());
      return false;
    }
    std::unique_ptr<void, HandleCloser> workerHandle(worker);

    std::exception_ptr failure;
    DWORD failedAt = 0;
    std::uint64_t reported = static_cast<std::uint64_t>(-1);
    DWORD lastReport = GetTickCount();
    auto report = [&] {
      platform::HttpProgress p;
      {
        std::lock_guard<std::mutex> g(work->state.lock);
        p.count = work->state.count;
        p.contentLength = work->state.contentLength;
        p.transferEncoding = work->state.transferEncoding;
      }
      reported = p.count;
      lastReport = GetTickCount();
      try {
        if (progress) progress(p);
      } catch (...) {
        failure = std::current_exception();
        failedAt = GetTickCount();
        work->stop = true;
        work->transfer.Cancel();
      }
    };
    HANDLE wake = work->event.get();
    while (!work->done) {
      // Closing the request ends a blocked wait on Windows; where it does not, the
      // abort still ends the download here after a short grace.
      if (failure && GetTickCount() - failedAt >= kAbandonAfterMs) break;
      MsgWaitForMultipleObjects(1, &wake, FALSE, kServeQueueEveryMs, QS_ALLINPUT);
      if (!failure) {
        std::uint64_t now;
        {
          std::lock_guard<std::mutex> g(work->state.lock);
          now = work->state.count;
        }
        if (now != reported || GetTickCount() - lastReport >= kIdleReportEveryMs) report();
      }
      if (queue_) queue_->ProcessMessages();
    }
    if (work->done) {
      WaitForSingleObject(worker, INFINITE);
      if (!failure && work->error.empty()) report();  // the last bytes
    }
    if (failure) {
      try {
        std::rethrow_exception(failure);
      } catch (const std::exception& e) {
        error = e.what();
      } catch (...) {
        error = "The transfer was stopped.";
      }
      return false;
    }
    if (!work->error.empty()) {
      error = work->error;
      return false;
    }
    return true;
  }

 private:
  ui::MessageQueue* queue_;
};

class WinHttpFactory : public platform::HttpClientFactory {
 public:
  explicit WinHttpFactory(ui::MessageQueue* queue) : queue_(queue) {}
  std::unique_ptr<platform::HttpClient> Create() override { return std::make_unique<WinHttpClient>(queue_); }

 private:
  ui::MessageQueue* queue_;
};

}  // namespace

std::unique_ptr<platform::HttpClientFactory> MakeWinHttpFactory() {
  return std::make_unique<WinHttpFactory>(nullptr);
}

std::unique_ptr<platform::HttpClientFactory> MakeWinHttpFactory(ui::MessageQueue& queue) {
  return std::make_unique<WinHttpFactory>(&queue);
}

}  // namespace win32
