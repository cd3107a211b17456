// Where finished raster blocks go. The encoders only fill blocks; the output
// stream owner supplies the function that frames a block with its transfer
// command and writes it, so the packing can be used and tested without a PDEV.
#pragma once
#include "windows.h"

enum RasterBlockKind : DWORD {
  // A page block of adaptive records: "\e*b5M", then "\e*b" count "W" and the block.
  kRasterBlockAdaptive = 0,
  // A device-mode image block of adaptive records: leave HP-GL/2 context, then
  // "\e*b" count "W" and the block (compression method 5 is already set).
  kRasterBlockImage = 1,
  // A method-131 block: "\e*b" count "W" and the block.
  kRasterBlockPredictive = 2,
  // One row of a page sent row by row (methods 2 and 3, set at the raster
  // start): "\e*b" count "W" and the row's code; a count of 0 repeats the seed
  // row with method 3 and sends a white row with method 2.
  kRasterRowTransfer = 3,
  // White rows of such a page: "\e*b" count "Y" (the bytes are null, the count
  // is the number of rows); the printer's seed row becomes white.
  kRasterRowSkip = 4,
};

struct RasterSink {
  // Writes one block; FALSE when the output failed.
  BOOL (*sendBlock)(void* context, RasterBlockKind kind, const BYTE* block, DWORD count);
  void* context;
};
