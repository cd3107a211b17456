// The row the method-131 coder sees: the page row moved right by the print
// offset, inverted right of the left margin when the page is inverted, and at
// 300 dpi widened to twice its bytes (the printer runs at 600 dpi; every pixel
// is doubled across, and the caller sends every row twice).
#pragma once
#include "windows.h"

struct PredictiveRowLayout {
  DWORD leftMarginBytes;  // the row's first bytes, never inverted
  DWORD shiftPixels;      // print offset across, in pixels of the source row
  BOOL invert;
  BOOL doublePixels;      // 300 dpi
};

// Bytes of a coded row for source rows of `rowBytes` (after any reduction of
// the page's rows).
inline DWORD PredictiveRowLength(DWORD rowBytes, BOOL doublePixels) {
  return doublePixels ? rowBytes * 2 : rowBytes;
}

// The source raster width announced for a method-131 page ("\e*r#S"): exactly
// the coded row, so that the printer ends each row where the coder did.
inline DWORD PredictiveRasterWidth(DWORD codedRowLength) { return codedRowLength * 8; }

// Builds the coder input from `rowBytes` bytes of `source` into `out` (which
// must hold PredictiveRowLength bytes; FALSE otherwise). Pixels moved past the
// row's end are dropped.
BOOL PreparePredictiveRow(const BYTE* source, DWORD rowBytes, const PredictiveRowLayout* layout, BYTE* out,
                          DWORD capacity);
