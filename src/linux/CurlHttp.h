#pragma once

#include <memory>
#include <string>

#include "platform/Http.h"
#include "ui/Dialogs.h"

namespace linuxdesktop {

// libcurl behind the HTTP client service. Without a queue a download blocks the UI thread
// between progress reports; with one it serves the queue while it waits for the network.
std::unique_ptr<platform::HttpClientFactory> MakeCurlHttpFactory();
std::unique_ptr<platform::HttpClientFactory> MakeCurlHttpFactory(ui::MessageQueue& queue);
// For tests: trusts only the certificates in `caFile` (PEM) instead of the system's.
std::unique_ptr<platform::HttpClientFactory> MakeCurlHttpFactoryTrusting(ui::MessageQueue& queue,
                                                                         const std::string& caFile);

}  // namespace linuxdesktop
