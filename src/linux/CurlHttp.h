#pragma once

#include <memory>

#include "platform/Http.h"
#include "ui/Dialogs.h"

// libcurl behind the HTTP client service. Without a queue a download blocks the UI thread
// between progress reports; with one it serves the queue while it waits for the network.
std::unique_ptr<platform::HttpClientFactory> MakeCurlHttpFactory();
std::unique_ptr<platform::HttpClientFactory> MakeCurlHttpFactory(ui::MessageQueue& queue);
