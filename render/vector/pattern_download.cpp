#include "render/vector/pattern_download.h"

#include <cstring>

#include "render/core/pdev.h"
#include "render/vector/gl2_context.h"
#include "render/vector/pcl_pattern.h"

namespace {

// Largest pattern the builders make; a header holds 16-bit sizes anyway.
constexpr ULONGLONG kMaxPatternBytes = ULONGLONG(16) << 20;
constexpr ULONGLONG kFitLimitBits = 262041;
constexpr LONG kNoPatternId = 0xFFFFFF;
constexpr BYTE kMidGrey = 128;

struct Cell {
  ULONG width, height;
  const BYTE* thresholds;
  BYTE Threshold(ULONGLONG x, ULONGLONG y) const { return thresholds[(y % height) * width + x % width]; }
};

Cell EffectiveCell(const DitherCell* cell) {
  static const BYTE kSingle[1] = {kMidGrey};
  if (!cell || cell->width == 0 || cell->height == 0 || !cell->thresholds) return Cell{1, 1, kSingle};
  return Cell{cell->width, cell->height, cell->thresholds};
}

BYTE Grey(DWORD rgb) {
  DWORD r = rgb & 0xFF, g = (rgb >> 8) & 0xFF, b = (rgb >> 16) & 0xFF;
  return BYTE((77 * r + 151 * g + 28 * b) >> 8);
}

ULONGLONG Gcd(ULONGLONG a, ULONGLONG b) {
  while (b) {
    ULONGLONG t = a % b;
    a = b;
    b = t;
  }
  return a;
}

ULONGLONG Lcm(ULONGLONG a, ULONGLONG b) { return a / Gcd(a, b) * b; }

// A one-bit pattern being built: rows padded to whole bytes, as PCL reads them.
struct Pattern {
  ULONGLONG width = 0, height = 0, rowBytes = 0;
  BYTE* bits = nullptr;

  Pattern() = default;
  Pattern(const Pattern&) = delete;
  Pattern& operator=(const Pattern&) = delete;
  Pattern(Pattern&& o) noexcept : width(o.width), height(o.height), rowBytes(o.rowBytes), bits(o.bits) {
    o.bits = nullptr;
  }
  ULONGLONG Size() const { return rowBytes * height; }
  bool Expressible() const {
    return width > 0 && height > 0 && width <= 0xFFFF && height <= 0xFFFF && Size() <= kMaxPatternBytes;
  }
  bool Allocate() {
    bits = static_cast<BYTE*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, SIZE_T(Size())));
    return bits != nullptr;
  }
  void Set(ULONGLONG x, ULONGLONG y) { bits[y * rowBytes + x / 8] |= BYTE(0x80 >> (x % 8)); }
  ~Pattern() {
    if (bits) HeapFree(GetProcessHeap(), 0, bits);
  }
};

Pattern Sized(ULONGLONG width, ULONGLONG height) {
  Pattern p;
  p.width = width;
  p.height = height;
  p.rowBytes = (width + 7) / 8;
  return p;
}

// Sends the pattern as the current pattern ID's data, in pieces that keep
// each "\e*c#W" within 32 767 bytes.
void SendPattern(PDEV* pdev, const Pattern& p) {
  DWORD size = DWORD(p.Size());
  for (DWORD offset = 0; offset < size; offset += kPatternPieceSize) {
    DWORD piece = size - offset < kPatternPieceSize ? size - offset : kPatternPieceSize;
    PclDownloadPattern(pdev, p.bits + offset, WORD(p.width), WORD(p.height), piece, offset != 0);
  }
}

// A brush whose rows can be read: sizes, stride and bits that agree.
bool Readable(const PatternBrush* b) {
  if (!b || !b->bits || b->width <= 0 || b->height <= 0) return false;
  static const ULONG kBitsPerPixel[] = {0, 1, 4, 8, 16, 24, 32};
  if (b->format < kBrush1Bpp || b->format > kBrush32Bpp) return false;
  ULONGLONG rowBits = ULONGLONG(b->width) * kBitsPerPixel[b->format];
  return b->stride > 0 && ULONGLONG(b->stride) * 8 >= rowBits;
}

bool MaskReadable(const PatternBrush* b) {
  return b->mask && b->maskStride > 0 && ULONGLONG(b->maskStride) * 8 >= ULONGLONG(b->width);
}

DWORD PixelValue(const PatternBrush* b, LONG x, LONG y) {
  const BYTE* row = b->bits + size_t(y) * size_t(b->stride);
  switch (b->format) {
    case kBrush1Bpp: return (row[x / 8] >> (7 - x % 8)) & 1;
    case kBrush4Bpp: return (row[x / 2] >> (x % 2 ? 0 : 4)) & 0xF;
    case kBrush8Bpp: return row[x];
    case kBrush16Bpp: return row[2 * x] | (row[2 * x + 1] << 8);
    case kBrush24Bpp: return row[3 * x] | (row[3 * x + 1] << 8) | (row[3 * x + 2] << 16);
    default: return (row[4 * x] | (row[4 * x + 1] << 8) | (row[4 * x + 2] << 16)) & 0xFFFFFF;
  }
}

BYTE PixelGrey(const PatternBrush* b, LONG x, LONG y) {
  DWORD v = PixelValue(b, x, y);
  if (b->colors && v < b->colorCount) v = b->colors[v];
  return Grey(v & 0xFFFFFF);
}

bool MaskBit(const PatternBrush* b, LONG x, LONG y) {
  return (b->mask[size_t(y) * size_t(b->maskStride) + size_t(x / 8)] >> (7 - x % 8)) & 1;
}

// The grey level of the first pixel that is not white, row by row; 255 for
// an all-white brush.
LONG GreyClass(const PatternBrush* b) {
  for (LONG y = 0; y < b->height; ++y) {
    for (LONG x = 0; x < b->width; ++x) {
      BYTE g = PixelGrey(b, x, y);
      if (g < 255) return g;
    }
  }
  return 255;
}

// Black-and-white brushes repeat on their own period (rounded to bytes);
// grey ones on the common period of brush and cell, so the dither lines up.
Pattern BrushPatternSize(const PatternBrush* b, LONG greyClass, const Cell& cell) {
  if (greyClass == 0 || greyClass == 255) return Sized(Lcm(8, ULONGLONG(b->width)), ULONGLONG(b->height));
  return Sized(Lcm(cell.width, ULONGLONG(b->width)), Lcm(cell.height, ULONGLONG(b->height)));
}

}  // namespace

BOOL DownloadGreyPattern(PDEV* pdev, COLORREF color, const DitherCell* dither) {
  if (color == 0xFFFFFFFFu) color = 0x7F7F7F;
  LONG g = Grey(color & 0xFFFFFF);
  if (g == pdev->pcl.patternId) return TRUE;
  pdev->pcl.patternId = g;
  SetGL2Context(pdev, FALSE);
  pdev->pcl.selectedPattern = -1;
  Cell cell = EffectiveCell(dither);
  Pattern p = Sized(Lcm(8, cell.width), cell.height);
  if (!p.Expressible() || !p.Allocate()) {
    pdev->pcl.patternId = kNoPatternId;  // the printer's current pattern is unchanged
    return FALSE;
  }
  for (ULONGLONG y = 0; y < p.height; ++y) {
    for (ULONGLONG x = 0; x < p.width; ++x) {
      if (g < cell.Threshold(x, y)) p.Set(x, y);
    }
  }
  PclSetPatternId(pdev, g);
  SendPattern(pdev, p);
  return TRUE;
}

BOOL DownloadBrushPattern(PDEV* pdev, const PatternBrush* brush, BOOL transparent, const DitherCell* dither) {
  if (!Readable(brush)) return FALSE;
  PclState& s = pdev->pcl;
  LONG greyClass = GreyClass(brush);
  BOOL masked = transparent && MaskReadable(brush);
  if (brush->hatch >= 0 && brush->hatch < kNoHatch && brush->hatch == s.hatchIndex && greyClass == s.hatchClass &&
      masked == s.hatchTransparent) {
    // Pattern 256 holds this hatch; a grey pattern may have been made current
    // since, so name 256 again.
    if (s.patternId != kBrushPatternId) {
      PclSetPatternId(pdev, kBrushPatternId);
      s.selectedPattern = -1;
    }
    return TRUE;
  }
  s.hatchIndex = brush->hatch;
  s.hatchClass = greyClass;
  s.hatchTransparent = masked;
  s.selectedPattern = -1;
  SetGL2Context(pdev, FALSE);
  Cell cell = EffectiveCell(dither);
  Pattern p = BrushPatternSize(brush, greyClass, cell);
  if (!p.Expressible() || !p.Allocate()) {
    s.hatchIndex = kNoHatch;  // pattern 256 does not hold it
    return FALSE;
  }
  for (ULONGLONG y = 0; y < p.height; ++y) {
    LONG by = LONG(y % ULONGLONG(brush->height));
    for (ULONGLONG x = 0; x < p.width; ++x) {
      LONG bx = LONG(x % ULONGLONG(brush->width));
      if (PixelGrey(brush, bx, by) < cell.Threshold(x, y) || (masked && !MaskBit(brush, bx, by))) p.Set(x, y);
    }
  }
  PclSetPatternId(pdev, kBrushPatternId);
  SendPattern(pdev, p);
  return TRUE;
}

BOOL DownloadMonoPattern(PDEV* pdev, const PatternBrush* brush) {
  if (!brush || brush->width <= 0 || brush->height <= 0 || !MaskReadable(brush)) return FALSE;
  PclState& s = pdev->pcl;
  s.selectedPattern = -1;
  s.hatchIndex = kNoHatch;
  SetGL2Context(pdev, FALSE);
  Pattern p = Sized(Lcm(8, ULONGLONG(brush->width)), ULONGLONG(brush->height));
  if (!p.Expressible() || !p.Allocate()) return FALSE;
  for (ULONGLONG y = 0; y < p.height; ++y) {
    for (ULONGLONG x = 0; x < p.width; ++x) {
      if (MaskBit(brush, LONG(x % ULONGLONG(brush->width)), LONG(y))) p.Set(x, y);
    }
  }
  PclSetPatternId(pdev, kBrushPatternId);
  SendPattern(pdev, p);
  return TRUE;
}

BOOL PatternFits(const PatternBrush* brush, const DitherCell* dither) {
  if (!Readable(brush)) return FALSE;
  Pattern p = BrushPatternSize(brush, GreyClass(brush), EffectiveCell(dither));
  return p.Expressible() && p.rowBytes * 8 * p.height < kFitLimitBits;
}
