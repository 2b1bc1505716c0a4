#pragma once

#include <memory>

#include "platform/Http.h"
#include "ui/Dialogs.h"

namespace win32 {

// WinHTTP behind the HTTP client service. Without a queue a download blocks the UI thread
// between progress reports; with one it serves the queue while the transfer runs.
std::unique_ptr<platform::HttpClientFactory> MakeWinHttpFactory();
std::unique_ptr<platform::HttpClientFactory> MakeWinHttpFactory(ui::MessageQueue& queue);

}  // namespace win32
