#include "render/vector/gl2_line.h"

#include <cstring>

#include "render/core/format_string.h"
#include "render/core/gl2_writer.h"
#include "render/core/pdev.h"

namespace {

// The thinnest pen sent: 13/256 mm, "PW0.051".
constexpr LONG kMinPenWidth = 13;
// Style elements per WriteGL2 call: ",%d" of a 32-bit number is at most 12
// characters, so 20 of them stay well inside one command buffer.
constexpr ULONG kStyleElementsPerPiece = 20;

// Float to integer without the undefined result of an out-of-range value.
LONG Saturate(FLOAT f) {
  if (!(f > -2147483520.0f)) return f != f ? 0 : INT32_MIN;
  if (f >= 2147483520.0f) return INT32_MAX;
  return LONG(f);
}

DWORD FloatBits(FLOAT f) {
  DWORD bits;
  std::memcpy(&bits, &f, sizeof(bits));
  return bits;
}

// PW only when the width slot changed.
void SetPenWidth(PDEV* pdev, DWORD slot, FLOAT widthPixels) {
  Gl2State& s = pdev->gl2;
  if (s.penWidthKnown && s.penWidth == slot) return;
  s.penWidth = slot;
  s.penWidthKnown = TRUE;
  LONG mm = PenWidthToMM(widthPixels, pdev->vector.dpi);
  WriteGL2(pdev, "PW%f", mm < kMinPenWidth ? kMinPenWidth : mm);
}

// Replaces the style copy; FALSE when the new one cannot be allocated.
BOOL KeepStyleCopy(PDEV* pdev, const Gl2FloatLong* style, ULONG count) {
  Gl2State& s = pdev->gl2;
  if (s.styleCopy) HeapFree(GetProcessHeap(), 0, s.styleCopy);
  s.styleCopy = nullptr;
  s.styleCount = 0;
  auto* copy = static_cast<DWORD*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, SIZE_T(count) * 4));
  if (!copy) return FALSE;
  for (ULONG i = 0; i < count; ++i) copy[i] = DWORD(style[i].l);
  s.styleCopy = copy;
  s.styleCount = count;
  return TRUE;
}

// "UL1,e1,e2,...;LT1,length,1;" with each element in pixels. The instruction
// grows with the style, so it is written in pieces that each fit the
// command buffer.
void WriteUserLineType(PDEV* pdev, const Gl2FloatLong* style, ULONG count) {
  LONG pixelsPerUnit = LONG(pdev->vector.dpi / 25);
  ULONGLONG sum = 0;
  WriteGL2(pdev, "UL1");
  for (ULONG first = 0; first < count; first += kStyleElementsPerPiece) {
    char piece[kCommandBufferSize];
    int used = 0;
    for (ULONG i = first; i < count && i < first + kStyleElementsPerPiece; ++i) {
      LONG element = LONG(ULONG(style[i].l) * ULONG(pixelsPerUnit));
      sum += DWORD(element);
      used += FormatString(piece + used, sizeof(piece) - used, ",%d", element);
    }
    WriteGL2(pdev, "%s", piece);
  }
  DWORD dpi = pdev->vector.dpi ? pdev->vector.dpi : 1;
  WriteGL2(pdev, ";LT1,%u,1;", DWORD(sum * 2540 / dpi / 100));
}

BOOL CosmeticLine(PDEV* pdev, const Gl2LineAttrs* la) {
  LONG width = la->elWidth.l;
  SetPenWidth(pdev, DWORD(width), FLOAT(width));
  if (la->fl & kLineAlternate) {
    // User line type 1: one dash and one gap of equal length, 1 mm long.
    WriteGL2(pdev, "UL1,1,1;LT1,%f,1;", 256);
    return TRUE;
  }
  if (!la->pstyle || la->cstyle == 0) {
    WriteGL2(pdev, "LT;");
    return TRUE;
  }
  WriteUserLineType(pdev, la->pstyle, la->cstyle);
  return KeepStyleCopy(pdev, la->pstyle, la->cstyle);
}

LONG LineEnd(ULONG endCap) {
  switch (endCap) {
    case kEndCapRound: return 4;
    case kEndCapSquare: return 2;
    default: return 1;  // butt
  }
}

LONG LineJoin(ULONG join) {
  switch (join) {
    case kJoinRound: return 4;
    case kJoinBevel: return 5;
    default: return 1;  // miter
  }
}

BOOL GeometricLine(PDEV* pdev, Gl2LineAttrs* la) {
  Gl2State& s = pdev->gl2;
  LONG end = LineEnd(la->iEndCap);
  LONG join = LineJoin(la->iJoin);
  bool changed = end != s.lineEnd || join != s.lineJoin;
  s.lineEnd = end;
  s.lineJoin = join;
  if (!(la->eMiterLimit >= 1.0f)) la->eMiterLimit = 1.0f;  // NaN too
  if (changed || la->eMiterLimit != s.miterLimit) {
    s.miterLimit = la->eMiterLimit;
    WriteGL2(pdev, "LA1,%d,2,%d,3,%f", end, join, Saturate(la->eMiterLimit * 256.0f));
  }
  SetPenWidth(pdev, FloatBits(la->elWidth.e), la->elWidth.e);
  if (la->cstyle != 0 || la->elStyleState.e != 0.0f) return FALSE;
  WriteGL2(pdev, "LT;");
  return TRUE;
}

}  // namespace

LONG PenWidthToMM(FLOAT width, DWORD dpi) {
  // Each step rounded to single precision, as the printer's pens were sized.
  volatile FLOAT w = width * 25.4f;
  w = w / FLOAT(dpi ? dpi : 1);
  w = w + 0.01f;
  w = w * 256.0f;
  return Saturate(w);
}

BOOL GL2SetLineAttributes(PDEV* pdev, Gl2LineAttrs* la) {
  // HP-GL/2 context is entered by the first instruction written, so a call
  // that writes nothing leaves no empty switch behind.
  if (!la) {
    // Round ends, mitered joins, miter limit 10, 0.262 mm, solid. The caches
    // follow what the printer now holds; no width slot matches 0.262 mm.
    WriteGL2(pdev, "LA1,4,2,1,3,10PW0.262LT;");
    Gl2State& s = pdev->gl2;
    s.lineEnd = 4;
    s.lineJoin = 1;
    s.miterLimit = 10.0f;
    s.penWidthKnown = FALSE;
    return TRUE;
  }
  if (la->fl & kLineGeometric) return GeometricLine(pdev, la);
  return CosmeticLine(pdev, la);
}
