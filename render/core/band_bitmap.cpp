#include "render/core/band_bitmap.h"

namespace {
LONG RoundUp32(LONG v) { return (v + 31) & ~LONG(31); }
}  // namespace

BandGeometry BandGeometryFor(SIZEL page, ULONG count, bool doubled, bool across) {
  BandGeometry g;
  if (across) {
    LONG along = doubled ? page.cx * 2 : page.cx;
    g.width = RoundUp32((along + LONG(count) - 1) / LONG(count));
    g.rows = RoundUp32(page.cy);
  } else {
    LONG along = doubled ? page.cy * 2 : page.cy;
    g.width = RoundUp32(page.cx);
    g.rows = RoundUp32((along + LONG(count) - 1) / LONG(count));
  }
  g.bytes = (size_t(g.rows) + 1) * size_t(g.width) / 8;
  return g;
}

BOOL AllocateBandBitmap(BandBitmap* band, SIZEL page, bool doubled, bool singleTry, bool across) {
  for (ULONG count = 1; count <= kMaxBands; ++count) {
    BandGeometry g = BandGeometryFor(page, count, doubled, across);
    void* bits = HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, g.bytes);
    if (bits) {
      band->bits = static_cast<BYTE*>(bits);
      band->bytes = g.bytes;
      band->size = SIZEL{g.width, g.rows};
      band->count = count;
      return TRUE;
    }
    if (singleTry || g.width < 33 || g.rows < 9) break;
  }
  SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return FALSE;
}

void FreeBandMemory(BandBitmap* band) {
  if (band->bits) HeapFree(GetProcessHeap(), 0, band->bits);
  band->bits = nullptr;
  band->bytes = 0;
}
