// User-defined PCL patterns made from GDI brushes and solid grey levels:
// dithered into one bit per pixel against the pattern halftone cell and
// downloaded as pattern IDs the fills then name. A pixel is ink (1) when its
// grey level, (77 R + 151 G + 28 B) >> 8, is below the cell's threshold at
// its position.
//
// Without a halftone cell (width, height or matrix missing, as in device mode
// with colour output) the cell is taken as one position of threshold 128:
// patterns come out black and white instead of dithered, and no size is ever
// divided by zero.
#pragma once
#include "windows.h"

struct PDEV;

// The pattern halftone cell: width x height thresholds, row by row.
struct DitherCell {
  WORD width;
  WORD height;
  const BYTE* thresholds;
};

// Pixel formats of a realized brush pattern.
enum : ULONG {
  kBrush1Bpp = 1,
  kBrush4Bpp = 2,
  kBrush8Bpp = 3,
  kBrush16Bpp = 4,
  kBrush24Bpp = 5,
  kBrush32Bpp = 6,
};

// What the pattern builders read of a realized brush.
struct PatternBrush {
  LONG width, height;    // pixels
  LONG stride;           // bytes from one row to the next
  ULONG format;          // kBrush*
  const BYTE* bits;      // top row first; sub-byte pixels most significant first
  ULONG colorCount;      // colour table entries (0x00BBGGRR); a pixel value
  const ULONG* colors;   // below the count is looked up, others are colours
  LONG hatch;            // 0-5: one of the six standard hatches; 6 or more: none
  const BYTE* mask;      // one bit per pixel, most significant first, or null
  LONG maskStride;
};

// Pattern ID the brush patterns are downloaded as.
constexpr LONG kBrushPatternId = 256;

// A solid colour as a dithered pattern whose ID is its grey level (0xFFFFFFFF,
// no solid colour, counts as 0x7F7F7F). Nothing is sent when that grey level
// is the current pattern ID. FALSE when the pattern cannot be built.
BOOL DownloadGreyPattern(PDEV* pdev, COLORREF color, const DitherCell* cell);
// A brush as pattern 256: dithered, and with `transparent` the pixels its
// mask clears are ink too. A standard hatch already held as pattern 256 is
// not sent again; pattern 256 is made current again when another pattern ID
// was selected since. FALSE for a brush without pixels or too large for a
// pattern, or when memory runs out.
BOOL DownloadBrushPattern(PDEV* pdev, const PatternBrush* brush, BOOL transparent, const DitherCell* cell);
// The brush's mask plane as pattern 256, bit for bit. FALSE without a mask.
BOOL DownloadMonoPattern(PDEV* pdev, const PatternBrush* brush);
// Whether the dithered pattern of `brush` is small enough to fill with
// (fewer than 262 041 bits); a larger one is drawn as an image instead.
BOOL PatternFits(const PatternBrush* brush, const DitherCell* cell);
