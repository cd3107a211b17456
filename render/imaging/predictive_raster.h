// Packing of method-131 rows into blocks of a fixed number of rows (the
// DirectRaster row count), each sent with one transfer command and each
// decodable by itself: the tables, copy mode and previous row start cleared in
// every block.
#pragma once
#include "render/imaging/predictive_coder.h"
#include "render/imaging/raster_block.h"
#include "render/imaging/raster_sink.h"
#include "windows.h"

struct PredictiveRaster {
  RasterSink sink;
  PredictiveCoder coder;
  RasterBlock block;
  BYTE* previous;       // the row above, as the printer holds it
  DWORD previousSize;
  DWORD rowLength;      // bytes per row as coded
  DWORD rowsPerBlock;
  DWORD rowsInBlock;    // rows of the current block, coded or held as white
  // White rows at the top of the current block, not yet coded: a block that
  // stays white is held back (pendingWhiteBlocks) and sent only when a later
  // row of the page is not white, so that nothing below it moves up.
  DWORD whiteLead;
  DWORD pendingWhiteBlocks;
};

// Bytes of block memory for `rowsPerBlock` rows of `rowLength` bytes: every
// row may code longer than it is.
DWORD PredictiveBlockSize(DWORD rowLength, DWORD rowsPerBlock);

// `block` holds `blockSize` bytes, `previous` at least one row.
void PredictiveRasterInit(PredictiveRaster* r, BYTE* block, DWORD blockSize, BYTE* previous,
                          DWORD previousSize, RasterSink sink);

// Starts a page (or, after a fall-back, the page again) with rows of
// `rowLength` bytes as coded, `rowsPerBlock` rows to a block. FALSE
// (ERROR_INSUFFICIENT_BUFFER) when the buffers are too small.
BOOL PredictiveRasterStartPage(PredictiveRaster* r, DWORD rowLength, DWORD rowsPerBlock);

// Codes the next row (rowLength bytes, prepared by PreparePredictiveRow; null
// for a white row) and sends the block when it holds its rows.
BOOL PredictiveRow(PredictiveRaster* r, const BYTE* row);

// Ends the page: a block with rows that are not white is padded with white
// rows and sent; white rows at the foot of the page are dropped.
BOOL PredictiveRasterEndPage(PredictiveRaster* r);
