// Rows of a raster graphics mode page sent one transfer each, all with one
// compression method: TIFF PackBits (method 2) or delta row (method 3). White
// rows go as a count ("\e*b#Y") before the next row that is not white; white
// rows at the foot of the page are dropped. With delta rows a row equal to the
// seed goes as an empty transfer.
#pragma once
#include "render/imaging/raster_sink.h"
#include "windows.h"

struct PlainRaster {
  RasterSink sink;
  DWORD method;        // 2 or 3
  BYTE* seed;          // the last row the printer holds
  DWORD seedSize;
  BYTE* work;
  DWORD workSize;
  DWORD rowLength;
  BOOL invert;
  DWORD pendingEmpty;  // white rows not yet sent
};

// Bytes the work buffer needs for rows of `rowLength` bytes.
DWORD PlainWorkSize(DWORD rowLength);

void PlainRasterInit(PlainRaster* p, BYTE* seed, DWORD seedSize, BYTE* work, DWORD workSize, RasterSink sink);
// Starts a page (white seed, nothing pending). FALSE (ERROR_INSUFFICIENT_BUFFER)
// when the buffers are too small, or the method is not 2 or 3.
BOOL PlainRasterStartPage(PlainRaster* p, DWORD method, DWORD rowLength, BOOL invert);
// Takes the next row (inverted in place when the page is inverted).
BOOL PlainRasterRow(PlainRaster* p, BYTE* row);
// Ends the page: the white rows at its foot are forgotten.
BOOL PlainRasterEndPage(PlainRaster* p);
