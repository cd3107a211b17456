// Choosing the halftone table of a model for a resolution (rendering library,
// at device context creation).
#pragma once
#include <cstdint>

#include "common/dither_table.h"
#include "windows.h"

namespace kadu {

// Resolution sub-mode bit that selects the second group of 1200 dpi entries.
inline constexpr int kSubMode600x2400 = 0x2;

// The entry of the model's line list (low byte of `dizaling` 3) or mesh list
// (else) for the resolution: the high byte chooses 0xFD 0, 0xFE 1, 0xFF 2,
// otherwise 1 up to 300 dpi and 0 above; 600 dpi adds 3, 1200 dpi 9 with the
// sub-mode bit 0x2 and 6 without. Always a usable table.
const DitherTable& ChooseHalftoneTable(const WCHAR* driverName, int resolution, int subMode, uint16_t dizaling);
// The list entry the rule picks (0..11).
int HalftoneEntryIndex(int resolution, int subMode, uint16_t dizaling);

}  // namespace kadu
