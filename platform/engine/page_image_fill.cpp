// Filling a band's engine bitmap from a one-bit page picture.
#include "bit_rows.h"
#include "engine_objects.h"
#include "kw/engine_host.h"

namespace kw {
namespace {

// The picture as an engine bitmap for the copy; it is only read.
SURFOBJ ImageSurface(const EnginePageImage& image) {
  SURFOBJ so{};
  so.sizlBitmap = {image.width, image.height};
  so.pvBits = const_cast<BYTE*>(image.bits);
  so.pvScan0 = so.pvBits;
  so.lDelta = image.stride;
  so.iBitmapFormat = BMF_1BPP;
  so.iType = STYPE_BITMAP;
  so.fjBitmap = BMF_TOPDOWN;
  return so;
}

// Deeper bitmaps: black is 0, white every bit of the pixel set.
void PutPixel(SURFOBJ* so, LONG x, LONG y, bool black) {
  BYTE* row = engine::RowAt(so, y);
  ULONG bits = engine::FormatBits(so->iBitmapFormat);
  if (bits == 4) {
    engine::SetNibble(row, x, black ? 0x0 : 0xF);
    return;
  }
  BYTE* p = row + size_t(x) * (bits / 8);
  for (ULONG b = 0; b < bits / 8; ++b) p[b] = black ? 0x00 : 0xFF;
}

}  // namespace

bool EngineFillBand(const EngineBand& band, const EnginePageImage& image) {
  SURFOBJ* dst = band.bitmap;
  if (!dst || dst->iType != STYPE_BITMAP || !dst->pvScan0 || engine::FormatBits(dst->iBitmapFormat) == 0) return false;
  if (!image.bits || image.width <= 0 || image.height <= 0 || image.stride < (image.width + 7) / 8) return true;
  // The image's part inside the band, in bitmap pixels.
  RECTL r{0, 0, dst->sizlBitmap.cx, dst->sizlBitmap.cy};
  LONG left = -band.rect.left, top = -band.rect.top;
  if (left > r.left) r.left = left;
  if (top > r.top) r.top = top;
  if (left + image.width < r.right) r.right = left + image.width;
  if (top + image.height < r.bottom) r.bottom = top + image.height;
  if (band.rect.right - band.rect.left < r.right) r.right = band.rect.right - band.rect.left;
  if (band.rect.bottom - band.rect.top < r.bottom) r.bottom = band.rect.bottom - band.rect.top;
  if (r.left >= r.right || r.top >= r.bottom) return true;
  SURFOBJ src = ImageSurface(image);
  if (dst->iBitmapFormat == BMF_1BPP) {
    POINTL from{r.left + band.rect.left, r.top + band.rect.top};
    return EngCopyBits(dst, &src, nullptr, nullptr, &r, &from) != FALSE;
  }
  for (LONG y = r.top; y < r.bottom; ++y) {
    const BYTE* in = engine::RowAt(&src, y + band.rect.top);
    for (LONG x = r.left; x < r.right; ++x) {
      LONG ix = x + band.rect.left;
      PutPixel(dst, x, y, (in[ix / 8] >> (7 - (ix & 7))) & 1);
    }
  }
  engine::SurfaceTouched(dst);
  return true;
}

}  // namespace kw
