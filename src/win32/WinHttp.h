#pragma once

#include <memory>

#include "platform/Http.h"

// WinHTTP behind the HTTP client service.
std::unique_ptr<platform::HttpClientFactory> MakeWinHttpFactory();
