// Printed rows from the rendered page: the rows of a portrait page are copied,
// those of a page rendered rotated are built from columns by turning 8 × 8
// pixel blocks. The walk bits choose the direction:
//   portrait: printed row r is rendered row r (WALK_UP: row H-1-r), its pixel
//     i rendered column i (WALK_RIGHT_TO_LEFT: column W-1-i);
//   rotated:  printed row r is rendered column r (WALK_RIGHT_TO_LEFT: column
//     W-1-r), read from the bottom row up (WALK_UP: from the top row down).
// With no bits a rotated page is turned clockwise; both bits turn either kind
// of page by 180°.
#pragma once
#include "render/core/band_state.h"

// Printed rows the page has, and pixels in each.
LONG PrintedRows(const RasterSource& src);
LONG PrintedWidth(const RasterSource& src);

// The printed rows [*first, *last) whose pixels lie in the source's part of
// the page (all of it for a whole page). Empty when first == last.
void PrintedRowsHeld(const RasterSource& src, DWORD walk, LONG* first, LONG* last);

// Writes `count` (1..8) printed rows starting at row `r`, each `pixels` wide
// from printed pixel `firstPixel` on, into `out` (rows `stride` bytes apart,
// each starting at byte `at`). Bytes past the pixels are left as they are;
// pixels outside the source are white. TRUE when any pixel is black.
BOOL ReadPrintedRows(const RasterSource& src, DWORD walk, LONG r, DWORD count, LONG firstPixel, LONG pixels,
                     BYTE* out, DWORD stride, DWORD at);

// Eight rendered pixels of row y from column x on (the leftmost in bit 7);
// pixels outside the page or the source's part are white.
BYTE RenderedByte(const RasterSource& src, LONG x, LONG y);
