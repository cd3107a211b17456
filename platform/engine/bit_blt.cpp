// EngBitBlt and EngCopyBits on engine bitmaps. The raster operation selects
// an area operation from a table; the table has the source copy so far and
// is where the other operations (pattern, mask, full ROP3/ROP4) are added.
#include <cstring>
#include <vector>

#include "bit_rows.h"
#include "engine_objects.h"

namespace kw::engine {
namespace {

// One area of the target, already clipped to both surfaces and the clip.
struct BltArea {
  SURFOBJ* dst;
  SURFOBJ* src;
  XLATEOBJ* xlo;
  RECTL rect;    // target pixels
  POINTL shift;  // source pixel = target pixel + shift
};

typedef bool (*AreaOp)(const BltArea& a);

bool Intersect(RECTL* r, const RECTL& c) {
  if (c.left > r->left) r->left = c.left;
  if (c.top > r->top) r->top = c.top;
  if (c.right < r->right) r->right = c.right;
  if (c.bottom < r->bottom) r->bottom = c.bottom;
  return r->left < r->right && r->top < r->bottom;
}

bool IsBitmap(const SURFOBJ* so) {
  return so && so->iType == STYPE_BITMAP && so->pvScan0 && FormatBits(so->iBitmapFormat) != 0;
}

// How a one-bit source pixel maps onto a one-bit target pixel: the two
// target values for source 0 and source 1. Other translations are not
// supported yet.
bool MonoTable(const XLATEOBJ* xlo, int* t0, int* t1) {
  *t0 = 0;
  *t1 = 1;
  if (!xlo || (xlo->flXlate & XO_TRIVIAL)) return true;
  if ((xlo->flXlate & XO_TABLE) && xlo->pulXlate && xlo->cEntries >= 2) {
    *t0 = int(xlo->pulXlate[0] & 1);
    *t1 = int(xlo->pulXlate[1] & 1);
    return true;
  }
  return false;
}

BYTE Translate(BYTE b, int t0, int t1) {
  if (t0 == t1) return t0 ? 0xFF : 0x00;
  return t0 ? BYTE(~b) : b;
}

// Rows are walked away from the overlap when source and target share bits.
void RowOrder(const BltArea& a, LONG* first, LONG* step) {
  bool upward = a.dst->pvScan0 == a.src->pvScan0 && a.shift.y < 0;
  *first = upward ? a.rect.bottom - 1 : a.rect.top;
  *step = upward ? -1 : 1;
}

bool CopyMono(const BltArea& a) {
  int t0, t1;
  if (!MonoTable(a.xlo, &t0, &t1)) return false;
  LONG width = a.rect.right - a.rect.left;
  std::vector<BYTE> row((size_t(width) + 7) / 8);
  LONG y, step;
  RowOrder(a, &y, &step);
  for (LONG n = a.rect.bottom - a.rect.top; n > 0; --n, y += step) {
    ReadBits(RowAt(a.src, y + a.shift.y), a.rect.left + a.shift.x, width, row.data());
    if (t0 != 0 || t1 != 1)
      for (BYTE& b : row) b = Translate(b, t0, t1);
    WriteBits(RowAt(a.dst, y), a.rect.left, width, row.data());
  }
  return true;
}

// Same format, untranslated, whole bytes per pixel.
bool CopyBytes(const BltArea& a) {
  size_t bpp = FormatBits(a.dst->iBitmapFormat) / 8;
  size_t bytes = size_t(a.rect.right - a.rect.left) * bpp;
  LONG y, step;
  RowOrder(a, &y, &step);
  for (LONG n = a.rect.bottom - a.rect.top; n > 0; --n, y += step)
    std::memmove(RowAt(a.dst, y) + size_t(a.rect.left) * bpp,
                 RowAt(a.src, y + a.shift.y) + size_t(a.rect.left + a.shift.x) * bpp, bytes);
  return true;
}

bool CopyNibbles(const BltArea& a) {
  LONG width = a.rect.right - a.rect.left;
  std::vector<BYTE> row(static_cast<size_t>(width));
  LONG y, step;
  RowOrder(a, &y, &step);
  for (LONG n = a.rect.bottom - a.rect.top; n > 0; --n, y += step) {
    const BYTE* s = RowAt(a.src, y + a.shift.y);
    for (LONG i = 0; i < width; ++i) row[size_t(i)] = Nibble(s, a.rect.left + a.shift.x + i);
    BYTE* d = RowAt(a.dst, y);
    for (LONG i = 0; i < width; ++i) SetNibble(d, a.rect.left + i, row[size_t(i)]);
  }
  return true;
}

// Source copy. Colour translation between formats comes with the
// translation objects; until then only same-format copies are made.
bool SourceCopy(const BltArea& a) {
  if (a.dst->iBitmapFormat != a.src->iBitmapFormat) return false;
  if (a.dst->iBitmapFormat == BMF_1BPP) return CopyMono(a);
  if (a.xlo && !(a.xlo->flXlate & XO_TRIVIAL)) return false;
  return a.dst->iBitmapFormat == BMF_4BPP ? CopyNibbles(a) : CopyBytes(a);
}

struct RopEntry {
  ROP4 rop4;
  bool usesSource;
  AreaOp op;
};

const RopEntry kRops[] = {
    {0xCCCC, true, SourceCopy},  // SRCCOPY
};

const RopEntry* FindRop(ROP4 rop4) {
  for (const RopEntry& e : kRops)
    if (e.rop4 == (rop4 & 0xFFFF)) return &e;
  return nullptr;
}

// The target rectangles left after the clip object: none, its bounds, or
// (complex regions, not enumerable yet) failure.
bool ClipRects(const CLIPOBJ* pco, const SURFOBJ* dst, std::vector<RECTL>* out) {
  RECTL all{0, 0, dst->sizlBitmap.cx, dst->sizlBitmap.cy};
  if (!pco || pco->iDComplexity == DC_TRIVIAL) {
    out->push_back(all);
    return true;
  }
  if (pco->iDComplexity == DC_RECT) {
    out->push_back(pco->rclBounds);
    return true;
  }
  return false;
}

BOOL Blt(SURFOBJ* dst, SURFOBJ* src, CLIPOBJ* pco, XLATEOBJ* xlo, const RECTL* prcl, const POINTL* pptlSrc,
         const RopEntry& rop) {
  if (!IsBitmap(dst) || !prcl || (rop.usesSource && (!IsBitmap(src) || !pptlSrc))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::vector<RECTL> clips;
  if (!ClipRects(pco, dst, &clips)) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
  }
  BltArea a{dst, src, xlo, *prcl, {0, 0}};
  if (rop.usesSource) a.shift = {pptlSrc->x - prcl->left, pptlSrc->y - prcl->top};
  RECTL bounds = *prcl;
  if (!Intersect(&bounds, RECTL{0, 0, dst->sizlBitmap.cx, dst->sizlBitmap.cy})) return TRUE;
  if (rop.usesSource && !Intersect(&bounds, RECTL{-a.shift.x, -a.shift.y, src->sizlBitmap.cx - a.shift.x,
                                                  src->sizlBitmap.cy - a.shift.y}))
    return TRUE;
  bool touched = false;
  for (const RECTL& c : clips) {
    a.rect = bounds;
    if (!Intersect(&a.rect, c)) continue;
    if (!rop.op(a)) {
      SetLastError(ERROR_NOT_SUPPORTED);
      return FALSE;
    }
    touched = true;
  }
  if (touched) SurfaceTouched(dst);
  return TRUE;
}

}  // namespace
}  // namespace kw::engine

KW_API BOOL APIENTRY EngBitBlt(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ*, CLIPOBJ* pco, XLATEOBJ* pxlo, RECTL* prclTrg,
                               POINTL* pptlSrc, POINTL*, BRUSHOBJ*, POINTL*, ROP4 rop4) {
  const kw::engine::RopEntry* rop = kw::engine::FindRop(rop4);
  // The mask matters only when the ROP4's two halves differ; that needs the
  // mask operations, which are not in the table yet.
  if (!rop || ((rop4 >> 8) & 0xFF) != (rop4 & 0xFF)) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
  }
  return kw::engine::Blt(psoTrg, psoSrc, pco, pxlo, prclTrg, pptlSrc, *rop);
}

KW_API BOOL APIENTRY EngCopyBits(SURFOBJ* psoDest, SURFOBJ* psoSrc, CLIPOBJ* pco, XLATEOBJ* pxlo, RECTL* prclDest,
                                 POINTL* pptlSrc) {
  return kw::engine::Blt(psoDest, psoSrc, pco, pxlo, prclDest, pptlSrc, *kw::engine::FindRop(0xCCCC));
}
