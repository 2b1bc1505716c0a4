#pragma once

#include <cstdint>

// The low-level mouse hook's procedure: a free function, because the platform calls it
// outside any object; it reaches the main window through the process-wide reference.
// The platform hands every input on unchanged whatever happens here.
void LowLevelMouseProc(int nCode, std::uint32_t AMessage, int x, int y);
