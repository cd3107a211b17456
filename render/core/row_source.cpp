#include "render/core/row_source.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

constexpr std::array<BYTE, 256> MakeReverse() {
  std::array<BYTE, 256> t{};
  for (int v = 0; v < 256; ++v) {
    BYTE r = 0;
    for (int b = 0; b < 8; ++b) {
      if (v & (1 << b)) r |= BYTE(0x80 >> b);
    }
    t[v] = r;
  }
  return t;
}
constexpr std::array<BYTE, 256> kReverse = MakeReverse();

// Bits set for the pixels of x..x+7 that lie in [lo, hi).
BYTE InsideMask(LONG x, LONG lo, LONG hi) {
  BYTE m = 0;
  for (int k = 0; k < 8; ++k) {
    if (x + k >= lo && x + k < hi) m |= BYTE(0x80 >> k);
  }
  return m;
}

// 8 × 8 bit transpose: out[k] bit (7 - m) = in[m] bit (7 - k).
void Transpose8(const BYTE in[8], BYTE out[8]) {
  uint64_t x = 0;
  for (int m = 0; m < 8; ++m) x |= uint64_t(in[m]) << (56 - 8 * m);
  uint64_t t;
  t = (x ^ (x >> 7)) & 0x00AA00AA00AA00AAULL;
  x ^= t ^ (t << 7);
  t = (x ^ (x >> 14)) & 0x0000CCCC0000CCCCULL;
  x ^= t ^ (t << 14);
  t = (x ^ (x >> 28)) & 0x00000000F0F0F0F0ULL;
  x ^= t ^ (t << 28);
  for (int k = 0; k < 8; ++k) out[k] = BYTE(x >> (56 - 8 * k));
}

LONG Clamp(LONG v, LONG lo, LONG hi) { return std::max(lo, std::min(v, hi)); }

BOOL CopyPortraitRow(const RasterSource& src, DWORD walk, LONG r, LONG firstPixel, LONG pixels, BYTE* out) {
  LONG y = (walk & WALK_UP) ? src.page.cy - 1 - r : r;
  DWORD bytes = DWORD(pixels + 7) / 8;
  BYTE any = 0;
  bool mirror = (walk & WALK_RIGHT_TO_LEFT) != 0;
  bool aligned = !mirror && src.rect.left == 0 && firstPixel % 8 == 0 && y >= src.rect.top && y < src.rect.bottom &&
                 firstPixel + pixels <= std::min(src.page.cx, src.rect.right);
  if (aligned) {
    const BYTE* row = src.bits + size_t(y - src.rect.top) * size_t(src.stride) + firstPixel / 8;
    std::memcpy(out, row, bytes);
    if (pixels % 8) out[bytes - 1] &= BYTE(0xFF00 >> (pixels % 8));
    for (DWORD i = 0; i < bytes; ++i) any |= out[i];
    return any != 0;
  }
  for (DWORD j = 0; j < bytes; ++j) {
    LONG i = firstPixel + LONG(8 * j);
    BYTE v = mirror ? kReverse[RenderedByte(src, src.page.cx - 1 - i - 7, y)] : RenderedByte(src, i, y);
    LONG left = pixels - LONG(8 * j);
    if (left < 8) v &= BYTE(0xFF00 >> left);
    out[j] = v;
    any |= v;
  }
  return any != 0;
}

BOOL TurnRows(const RasterSource& src, DWORD walk, LONG r, DWORD count, LONG firstPixel, LONG pixels, BYTE* out,
              DWORD stride, DWORD at) {
  bool rtl = (walk & WALK_RIGHT_TO_LEFT) != 0;
  bool up = (walk & WALK_UP) != 0;
  LONG x = rtl ? src.page.cx - 1 - r - 7 : r;  // eight rendered columns, printed row order below
  DWORD bytes = DWORD(pixels + 7) / 8;
  BYTE any = 0;
  for (DWORD j = 0; j < bytes; ++j) {
    BYTE in[8], t[8];
    for (int m = 0; m < 8; ++m) {
      LONG i = firstPixel + LONG(8 * j) + m;
      LONG y = up ? i : src.page.cy - 1 - i;
      BYTE v = i < firstPixel + pixels ? RenderedByte(src, x, y) : 0;
      in[m] = rtl ? kReverse[v] : v;
    }
    Transpose8(in, t);
    for (DWORD k = 0; k < count; ++k) {
      out[k * stride + at + j] = t[k];
      any |= t[k];
    }
  }
  return any != 0;
}

}  // namespace

LONG PrintedRows(const RasterSource& src) { return src.rotated ? src.page.cx : src.page.cy; }
LONG PrintedWidth(const RasterSource& src) { return src.rotated ? src.page.cy : src.page.cx; }

void PrintedRowsHeld(const RasterSource& src, DWORD walk, LONG* first, LONG* last) {
  LONG lo = src.rotated ? src.rect.left : src.rect.top;
  LONG hi = src.rotated ? src.rect.right : src.rect.bottom;
  LONG extent = PrintedRows(src);
  lo = Clamp(lo, 0, extent);
  hi = Clamp(hi, lo, extent);
  bool reversed = src.rotated ? (walk & WALK_RIGHT_TO_LEFT) != 0 : (walk & WALK_UP) != 0;
  *first = reversed ? extent - hi : lo;
  *last = reversed ? extent - lo : hi;
}

BYTE RenderedByte(const RasterSource& src, LONG x, LONG y) {
  if (y < src.rect.top || y >= src.rect.bottom || y < 0 || y >= src.page.cy) return 0;
  LONG lo = std::max(src.rect.left, LONG(0)), hi = std::min(src.rect.right, src.page.cx);
  if (x + 8 <= lo || x >= hi) return 0;
  const BYTE* row = src.bits + size_t(y - src.rect.top) * size_t(src.stride);
  LONG bx = x - src.rect.left;  // bitmap column of the first pixel
  LONG bitmapBytes = (src.rect.right - src.rect.left + 7) / 8;
  auto at = [&](LONG i) -> unsigned { return i >= 0 && i < bitmapBytes ? row[i] : 0u; };
  LONG byte = bx >= 0 ? bx / 8 : -((7 - bx) / 8);
  int shift = int(bx - byte * 8);
  unsigned word = at(byte) << 8 | at(byte + 1);
  BYTE v = BYTE(word >> (8 - shift));
  return v & InsideMask(x, lo, hi);
}

BOOL ReadPrintedRows(const RasterSource& src, DWORD walk, LONG r, DWORD count, LONG firstPixel, LONG pixels,
                     BYTE* out, DWORD stride, DWORD at) {
  if (src.rotated) return TurnRows(src, walk, r, count, firstPixel, pixels, out, stride, at);
  BOOL any = FALSE;
  for (DWORD k = 0; k < count; ++k) {
    if (CopyPortraitRow(src, walk, r + LONG(k), firstPixel, pixels, out + k * stride + at)) any = TRUE;
  }
  return any;
}
