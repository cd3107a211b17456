// Reduction of a group of up to eight printed rows when the page is sent at
// a lower resolution than it was rendered.
#pragma once
#include "windows.h"

// Halves a row across: each output pixel is the OR of two neighbours. `out`
// receives (length + 1) / 2 bytes and may be `row` itself.
void HalveRowOr(const BYTE* row, DWORD length, BYTE* out);

// Halves the pair of rows `a` (even) and `b` (odd) across through the
// smoothing table: every 4 × 2 window becomes two pixels in each row. The
// outputs replace the first half of each row.
void HalveRowPairSmoothed(BYTE* a, BYTE* b, DWORD length);

// One halving step of a pair of rows: every 2 × 2 block becomes one pixel,
// black when at least two of the four are. `out` receives (length + 1) / 2
// bytes and may be `a`.
void HalveRowPair2x2(const BYTE* a, const BYTE* b, DWORD length, BYTE* out);

// The table value for a window byte (left 2 × 2 block in the high nibble).
BYTE SmoothingValue(BYTE window);
