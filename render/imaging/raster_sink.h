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
};

struct RasterSink {
  // Writes one block; FALSE when the output failed.
  BOOL (*sendBlock)(void* context, RasterBlockKind kind, const BYTE* block, DWORD count);
  void* context;
};
