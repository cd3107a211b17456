// Adaptive compression (PCL method 5) of the images that device mode prints
// (bitmaps and bitmap glyphs): every row is one record, unencoded, PackBits or
// delta row, whichever is shortest; no counts of white or repeated rows.
#pragma once
#include "render/imaging/adaptive_raster.h"
#include "render/imaging/adaptive_record.h"
#include "render/imaging/raster_block.h"
#include "render/imaging/raster_sink.h"
#include "windows.h"

constexpr DWORD kAdaptiveImageFlushAt = 15361;  // a block this full goes after its row

struct AdaptiveImage {
  RasterSink sink;
  RasterBlock block;
  BYTE* seed;
  DWORD seedSize;
  BYTE* packBitsWork;
  BYTE* deltaWork;
  DWORD workSize;
  DWORD rowLength;
  BOOL seedUnknown;  // as for pages: a block went out since the last row
};

// How one row is sent.
struct ImageRowCoding {
  AdaptiveCommand command;  // kAdaptiveUnencoded, kAdaptivePackBits or kAdaptiveDeltaRow
  const BYTE* data;
  DWORD count;
};

// Bytes the block needs for rows of `rowLength` bytes.
DWORD AdaptiveImageBlockSize(DWORD rowLength);

// Chooses the coding of the first `sig` bytes of `row`: PackBits or delta row
// (against `seed`; null when the seed may not be used) when one is shorter than
// the bytes themselves, the shorter of the two, PackBits on a tie; otherwise
// the bytes unencoded. Work buffers hold `workSize` bytes each.
ImageRowCoding CodeImageRow(const BYTE* row, DWORD sig, const BYTE* seed, BYTE* packBitsWork,
                            BYTE* deltaWork, DWORD workSize);

// Same buffers as a page encoder (AdaptiveBuffers); the block should hold
// AdaptiveImageBlockSize bytes.
void AdaptiveImageInit(AdaptiveImage* a, const AdaptiveBuffers* buffers, RasterSink sink);

// Starts an image of rows of `rowLength` bytes, right after its start raster
// command (white seed, empty block). FALSE when the buffers are too small.
BOOL AdaptiveImageStart(AdaptiveImage* a, DWORD rowLength);

// Appends the next row's record; sends the block when it is full.
BOOL AdaptiveImageRow(AdaptiveImage* a, const BYTE* row);

// Sends what the block holds (at the end of the image).
BOOL AdaptiveImageFlush(AdaptiveImage* a);
