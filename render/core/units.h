// Length conversions of the page geometry: paper tables count dots at
// 300 dpi, the DEVMODE tenths of a millimetre, the page device pixels at the
// working resolution. Every caller converts here so that each rounding is
// made the same way everywhere (always toward zero).
#pragma once
#include <cstdint>

#include "windows.h"

// 1/300-inch dots to pixels at `dpi`.
inline LONG DotsToPixels(LONG dots, DWORD dpi) { return LONG(int64_t(dots) * dpi / 300); }
// Tenths of a millimetre to 1/300-inch dots.
inline LONG TenthsToDots(LONG tenths) { return LONG(int64_t(tenths) * 300 / 254); }
// 1/300-inch dots to hundredths of a millimetre.
inline LONG DotsToHundredths(LONG dots) { return LONG(int64_t(dots) * 2540 / 300); }
// `v` rounded down to a multiple of `step` (a step below 1 leaves it).
inline LONG RoundDownTo(LONG v, LONG step) { return step > 0 ? v / step * step : v; }
