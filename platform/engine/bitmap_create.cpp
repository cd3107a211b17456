// EngCreateBitmap and EngCreateDeviceSurface.
#include <cstdlib>

#include "engine_objects.h"

namespace kw::engine {

ULONG FormatBits(ULONG iFormat) {
  // Indexed by format, BMF_1BPP to BMF_32BPP; the compressed ones have none.
  static const ULONG kBits[] = {0, 1, 4, 8, 16, 24, 32};
  return iFormat < sizeof kBits / sizeof kBits[0] ? kBits[iFormat] : 0;
}

uint64_t RowBytes(ULONG iFormat, LONG cx) { return (uint64_t(cx) * FormatBits(iFormat) + 7) / 8; }

namespace {

// Rows of the engine's own bits are padded to whole DWORDs.
uint64_t AlignedRowBytes(ULONG iFormat, LONG cx) { return (RowBytes(iFormat, cx) + 3) & ~uint64_t(3); }

bool ValidSize(SIZEL sizl) { return sizl.cx > 0 && sizl.cy > 0; }

}  // namespace
}  // namespace kw::engine

KW_API HBITMAP APIENTRY EngCreateBitmap(SIZEL sizl, LONG lWidth, ULONG iFormat, FLONG fl, PVOID pvBits) {
  using namespace kw::engine;
  if (!ValidSize(sizl) || FormatBits(iFormat) == 0 || lWidth < 0 ||
      (pvBits && uint64_t(lWidth) < RowBytes(iFormat, sizl.cx))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  // Own bits: the caller's row width when it holds a row, else the padded one.
  uint64_t stride = uint64_t(lWidth);
  if (!pvBits && stride < RowBytes(iFormat, sizl.cx)) stride = AlignedRowBytes(iFormat, sizl.cx);
  uint64_t bytes = stride * uint64_t(sizl.cy);
  if (stride > 0x7FFFFFFF || bytes > 0xFFFFFFFFull) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (SurfaceCreationFails() || (!pvBits && !SurfaceBitsAllowed(bytes))) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  auto* s = new Surface{};
  if (!pvBits) {
    pvBits = std::calloc(1, size_t(bytes));
    if (!pvBits) {
      delete s;
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return nullptr;
    }
    s->ownsBits = true;
  }
  SURFOBJ& so = s->so;
  so.sizlBitmap = sizl;
  so.cjBits = ULONG(bytes);
  so.pvBits = pvBits;
  so.iBitmapFormat = iFormat;
  so.iType = STYPE_BITMAP;
  so.fjBitmap = USHORT(fl & (BMF_TOPDOWN | BMF_NOZEROINIT | BMF_DONTCACHE));
  // The top row is first in memory only for a top-down bitmap.
  if (fl & BMF_TOPDOWN) {
    so.pvScan0 = pvBits;
    so.lDelta = LONG(stride);
  } else {
    so.pvScan0 = static_cast<BYTE*>(pvBits) + stride * uint64_t(sizl.cy - 1);
    so.lDelta = -LONG(stride);
  }
  return reinterpret_cast<HBITMAP>(SurfaceAdd(s));
}

KW_API HSURF APIENTRY EngCreateDeviceSurface(DHSURF dhsurf, SIZEL sizl, ULONG iFormatCompat) {
  using namespace kw::engine;
  if (!ValidSize(sizl) || FormatBits(iFormatCompat) == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (SurfaceCreationFails()) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  auto* s = new Surface{};
  s->so.dhsurf = dhsurf;
  s->so.sizlBitmap = sizl;
  s->so.iBitmapFormat = iFormatCompat;
  s->so.iType = STYPE_DEVICE;
  return SurfaceAdd(s);
}
