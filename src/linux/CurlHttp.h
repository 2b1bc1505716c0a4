#pragma once

#include <memory>

#include "platform/Http.h"

// libcurl behind the HTTP client service.
std::unique_ptr<platform::HttpClientFactory> MakeCurlHttpFactory();
