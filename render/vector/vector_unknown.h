// The value a cache holds when the printer's state is not known. No command
// parameter the driver sends can equal it, so the first request after a reset
// always goes out.
#pragma once
#include <cstdint>

#include "windows.h"

constexpr LONG kUnknownValue = INT32_MIN;
// Colour caches (palette entries, pen colours, foreground) hold 24-bit
// colours; this is none of them.
constexpr DWORD kUnknownColor = 0xFFFFFFFFu;
