// EngEraseSurface: a rectangle of an engine bitmap set to one pixel value.
#include "bit_rows.h"
#include "engine_objects.h"

namespace {

void FillRow(BYTE* row, ULONG format, LONG x, LONG count, ULONG color) {
  switch (format) {
    case BMF_1BPP:
      kw::engine::FillBits(row, x, count, int(color & 1));
      return;
    case BMF_4BPP:
      for (LONG i = x; i < x + count; ++i) kw::engine::SetNibble(row, i, BYTE(color));
      return;
    default: {
      // Whole-byte pixels, least significant byte first.
      ULONG bytes = kw::engine::FormatBits(format) / 8;
      BYTE* p = row + size_t(x) * bytes;
      for (LONG i = 0; i < count; ++i)
        for (ULONG b = 0; b < bytes; ++b) *p++ = BYTE(color >> (8 * b));
    }
  }
}

}  // namespace

// The engine holds no pixels of a device surface, so there is nothing it
// could erase there: that fails rather than pretending to succeed.
KW_API BOOL APIENTRY EngEraseSurface(SURFOBJ* pso, RECTL* prcl, ULONG iColor) {
  using namespace kw::engine;
  if (!pso || pso->iType != STYPE_BITMAP || !pso->pvScan0 || FormatBits(pso->iBitmapFormat) == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  RECTL r{0, 0, pso->sizlBitmap.cx, pso->sizlBitmap.cy};
  if (prcl) {
    if (prcl->left > r.left) r.left = prcl->left;
    if (prcl->top > r.top) r.top = prcl->top;
    if (prcl->right < r.right) r.right = prcl->right;
    if (prcl->bottom < r.bottom) r.bottom = prcl->bottom;
  }
  if (r.left >= r.right || r.top >= r.bottom) return TRUE;
  for (LONG y = r.top; y < r.bottom; ++y) FillRow(RowAt(pso, y), pso->iBitmapFormat, r.left, r.right - r.left, iColor);
  SurfaceTouched(pso);
  return TRUE;
}
