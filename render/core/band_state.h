// The band and raster transmission state of a PDEV: the row layout of the
// document, its buffers, the encoders of the page being sent, the band walk,
// the resolution fall-back and the sheet that N-up and booklet pages are
// collected on. Kept in the PDEV as the one member `bandState`.
#pragma once
#include "render/core/page_state.h"
#include "render/imaging/adaptive_raster.h"
#include "render/imaging/plain_raster.h"
#include "render/imaging/predictive_raster.h"
#include "render/vector/pcl_state.h"
#include "windows.h"

// Band walk bits of the PDEV's copy of the private DEVMODE word at offset 424.
enum : DWORD {
  WALK_UP = 0x1,           // bands go up the page: the printed rows come bottom first
  WALK_RIGHT_TO_LEFT = 0x2,// bands go right to left: every printed row is mirrored
  WALK_INVERT = 0x4,       // rows are inverted before encoding
  WALK_DIRECTION_BITS = WALK_UP | WALK_RIGHT_TO_LEFT,
};

// How the rows of a page are laid out in the row buffers.
struct RowLayout {
  DWORD rasterWidth;      // pixels of one printed row at the rendering resolution
  DWORD rasterRows;       // printed rows of the page
  DWORD leftMarginBytes;  // DirectRaster: white bytes in front of every row
  DWORD stride;           // bytes of a row buffer, aligned
  DWORD rightFillBytes;   // aligned stride minus the unaligned one
};

// Where the rows of the page being sent come from: a one-bit top-down bitmap
// holding part (a band) or all of the page as the engine rendered it.
struct RasterSource {
  const BYTE* bits;
  LONG stride;       // bytes from one bitmap row to the next
  SIZEL page;        // the rendered page
  RECTL rect;        // the part of the page the bitmap holds; bitmap (0, 0) is (left, top)
  BOOL rotated;      // printed rows are columns of the rendered page
};

// What the page's first try changed besides its bytes: thrown away with them
// at a fall-back, so that the next try sets the page up as the first did.
struct PageTrySnapshot {
  DWORD flags;
  PageState page;
  PclState pcl;
  char lastEscapePrefix[4];
  DWORD lastEscapeFinal;
};

// Values a fall-back saves for the end of its page.
struct FallbackSaved {
  DWORD workingResolution;
  DWORD resolution;
  DWORD yResolution;
  DWORD divisor;
  DWORD subMode;
  DWORD encoderSelector;
};

struct BandState {
  RowLayout row;          // of the page being sent
  DWORD rowCapacity;      // the longest row the document buffers hold
  // Document buffers (one block of memory each, all freed together).
  BYTE* groups[4];      // current and previous group of eight rows (four at 1200 dpi rotated)
  DWORD groupBuffers;
  BYTE* workRow;
  BYTE* block;          // encoded rows waiting for a transfer command
  DWORD blockSize;
  BYTE* work[2];        // the two candidate codings of a row
  DWORD workSize;
  BYTE* previousRow;    // seed row
  DWORD previousSize;
  BYTE* coderRow;       // method 131 coder input (twice a row at 300 dpi)
  DWORD coderRowSize;
  BYTE* tonerRow;
  BOOL deviceBuffers;   // the buffers are device mode's (image rows)

  // The page being sent.
  DWORD method;            // 2, 3, 5 or 131
  DWORD encoderSelector;   // raster encoder selector (private DEVMODE offset 426)
  AdaptiveRaster adaptive;
  PlainRaster plain;
  PredictiveRaster predictive;
  DWORD groupRows;         // rows held in the current group buffer
  DWORD rowsFed;           // printed rows taken so far on this page
  DWORD skipRows;          // DirectRaster: rows of the page's top cut off
  // The printed rows and pixels the page sends: all, or one poster tile.
  LONG windowFirstRow, windowRows, windowFirstPixel, windowPixels;
  BOOL rasterStarted;      // the page header and raster start are out
  BOOL outputFailed;       // a write of this page failed
  BOOL headerThisPage;     // the job header went out (staged) with this page
  BOOL writeThrough;       // a page of several bands: staging is suspended

  // Band walk.
  POINTL origin;
  LONG bandExtent;         // rows (columns on rotated pages) of the current band
  DWORD bandIndex;         // bands of the page started so far
  BOOL banding;            // between DrvStartBanding and the page's last band

  // Resolution fall-back.
  DWORD divisor;           // 1, or 2 and 4 while a page falls back
  DWORD fallbackKind;      // 3, 4 or 5 at 1200 dpi with DirectRaster; 0 otherwise
  DWORD fallbacks;         // fall-backs of the page so far
  FallbackSaved saved;
  PageTrySnapshot firstTry;

  // Placement set by the page mapping.
  POINTL rasterOrigin;     // cursor of "\e*p#x#Y" without DirectRaster
  POINTL pageOffset;       // DirectRaster: the page's own offset in pixels

  // Collected sheets (N-up, booklet).
  BYTE* sheet;
  SIZEL sheetSize;
  LONG sheetStride;
  DWORD sheetPages;        // logical pages on the sheet
  BOOL sheetTurn;          // pages are turned by 90° as they are copied
  BOOL turnClockwise;      // the turn after a landscape page
};
