// Band bitmap sizing and allocation for raster graphics mode.
#pragma once
#include "render/core/pdev.h"

inline constexpr ULONG kMaxBands = 8;

// The band for a page extent cut into `count` bands along the walk: the band
// spans the whole extent across the walk and extent / count along it, both
// rounded up to 32 pixels. `doubled` doubles the extent along the walk (1200
// dpi with the 600×2400 sub-mode). `bytes` is the bitmap memory to allocate:
// (rows + 1) × width / 8.
struct BandGeometry {
  LONG width;
  LONG rows;
  size_t bytes;
};
// `across`: the page is rendered rotated, bands are walked across it: the band
// spans the page's height and width / count columns (the doubled extent is
// then the width).
BandGeometry BandGeometryFor(SIZEL page, ULONG count, bool doubled, bool across = false);

// Allocates the band memory, adding bands while allocation fails and the band
// stays at least 33 pixels wide and 9 rows high, up to kMaxBands; only one
// try when `singleTry`. FALSE when nothing could be allocated.
BOOL AllocateBandBitmap(BandBitmap* band, SIZEL page, bool doubled, bool singleTry, bool across = false);
void FreeBandMemory(BandBitmap* band);
