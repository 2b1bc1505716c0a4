// TODO(update): the libcurl client. Until then every request fails, as an offline machine.
#include "linux/CurlHttp.h"

namespace {
class OfflineClient : public platform::HttpClient {
 public:
  bool Get(const std::string&, const platform::HttpOptions&, std::string&, std::string& e) override {
    e = "offline";
    return false;
  }
  bool Download(const std::string&, const platform::HttpOptions&, const std::string&,
                const std::function<void(const platform::HttpProgress&)>&, std::string& e) override {
    e = "offline";
    return false;
  }
};
class OfflineFactory : public platform::HttpClientFactory {
 public:
  std::unique_ptr<platform::HttpClient> Create() override { return std::make_unique<OfflineClient>(); }
};
}  // namespace

std::unique_ptr<platform::HttpClientFactory> MakeCurlHttpFactory() {
  return std::make_unique<OfflineFactory>();
}
