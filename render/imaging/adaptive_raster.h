// Adaptive compression (PCL method 5) of the rows of a raster graphics mode
// page: each row goes as the shorter of its PackBits and delta row codings,
// runs of white rows and of repeated rows go as counts, and the records are
// packed into blocks of about 15 KB, each sent with one transfer command.
#pragma once
#include "render/imaging/raster_block.h"
#include "render/imaging/raster_sink.h"
#include "windows.h"

constexpr DWORD kAdaptiveRasterBlockSize = 16384;
constexpr DWORD kAdaptiveRasterFlushAt = 15360;  // a block this full goes after its row

// Memory the caller provides (the document's buffers).
struct AdaptiveBuffers {
  BYTE* block;
  DWORD blockSize;       // at least AdaptiveRasterBlockSize(row length)
  BYTE* seed;            // the seed row: the last row the printer holds
  DWORD seedSize;        // at least the row length
  BYTE* work[2];         // the two candidate codings of a row
  DWORD workSize;        // each at least AdaptiveWorkSize(row length)
};

struct AdaptiveRaster {
  RasterSink sink;
  RasterBlock block;
  BYTE* seed;
  DWORD seedSize;
  BYTE* packBitsWork;
  BYTE* deltaWork;
  DWORD workSize;
  DWORD rowLength;
  BOOL invert;              // rows are inverted before they are looked at
  DWORD pendingEmpty;       // white rows not yet sent (any number; sent in records of 65535)
  DWORD pendingDuplicate;   // repeats of the seed row not yet sent (below 65535)
  // A block went out since the last record: printers keep the seed row across
  // transfer commands or clear it, so the next row must not be coded against it.
  BOOL seedUnknown;
};

// Bytes each work buffer needs for rows of `rowLength` bytes.
DWORD AdaptiveWorkSize(DWORD rowLength);
// Bytes the block needs: the usual 16384, more only for rows so long that one
// record would not fit.
DWORD AdaptiveRasterBlockSize(DWORD rowLength);

void AdaptiveRasterInit(AdaptiveRaster* a, const AdaptiveBuffers* buffers, RasterSink sink);

// Starts a page of rows of `rowLength` bytes: white seed, nothing pending, an
// empty block. FALSE (ERROR_INSUFFICIENT_BUFFER) when the buffers are too
// small for such rows.
BOOL AdaptiveRasterStartPage(AdaptiveRaster* a, DWORD rowLength, BOOL invert);

// Takes the next row of the page (rowLength bytes; inverted in place when the
// page is inverted). FALSE when a block could not be written.
BOOL AdaptiveRasterRow(AdaptiveRaster* a, BYTE* row);

// Sends what the block holds, with any pending repeat count, e.g. at the end of
// a band. White rows stay pending: the next row that is not white places them.
BOOL AdaptiveRasterFlush(AdaptiveRaster* a);

// Ends the page: flushes, and forgets the white rows at its foot, which need no
// data (only these may be dropped; white rows inside the page are always sent).
BOOL AdaptiveRasterEndPage(AdaptiveRaster* a);
