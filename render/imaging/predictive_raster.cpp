#include "render/imaging/predictive_raster.h"

#include <cstring>

#include "render/imaging/row_scan.h"

namespace {

void StartBlock(PredictiveRaster* r) {
  r->block.count = 0;
  r->rowsInBlock = 0;
  r->whiteLead = 0;
  PredictiveCoderReset(&r->coder);
  std::memset(r->previous, 0, r->rowLength);
}

// Codes one row into the block; the block was sized for the worst case, so a
// failure means the caller's memory is short.
BOOL CodeRow(PredictiveRaster* r, const BYTE* row) {
  INT n = PredictiveEncodeRow(&r->coder, row, r->previous, r->rowLength, r->block.data + r->block.count,
                              RasterBlockRoom(&r->block));
  if (n < 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  r->block.count += static_cast<DWORD>(n);
  if (row) {
    std::memcpy(r->previous, row, r->rowLength);
  } else {
    std::memset(r->previous, 0, r->rowLength);
  }
  return TRUE;
}

BOOL SendBlock(PredictiveRaster* r) {
  BOOL ok = RasterBlockSend(&r->block, &r->sink, kRasterBlockPredictive);
  StartBlock(r);
  return ok;
}

// Sends the held-back white blocks, built once in the (still empty) block.
BOOL SendWhiteBlocks(PredictiveRaster* r) {
  if (r->pendingWhiteBlocks == 0) return TRUE;
  for (DWORD i = 0; i < r->rowsPerBlock; ++i) {
    if (!CodeRow(r, nullptr)) return FALSE;
  }
  for (; r->pendingWhiteBlocks != 0; --r->pendingWhiteBlocks) {
    if (!r->sink.sendBlock(r->sink.context, kRasterBlockPredictive, r->block.data, r->block.count)) {
      r->pendingWhiteBlocks = 0;
      StartBlock(r);
      return FALSE;
    }
  }
  DWORD lead = r->whiteLead;
  StartBlock(r);
  r->whiteLead = lead;
  r->rowsInBlock = lead;
  return TRUE;
}

}  // namespace

DWORD PredictiveBlockSize(DWORD rowLength, DWORD rowsPerBlock) {
  return PredictiveRowBound(rowLength) * rowsPerBlock;
}

void PredictiveRasterInit(PredictiveRaster* r, BYTE* block, DWORD blockSize, BYTE* previous,
                          DWORD previousSize, RasterSink sink) {
  *r = PredictiveRaster{};
  r->sink = sink;
  r->block = RasterBlock{block, blockSize, 0};
  r->previous = previous;
  r->previousSize = previousSize;
}

BOOL PredictiveRasterStartPage(PredictiveRaster* r, DWORD rowLength, DWORD rowsPerBlock) {
  if (rowsPerBlock == 0 || r->previousSize < rowLength ||
      static_cast<ULONGLONG>(PredictiveRowBound(rowLength)) * rowsPerBlock > r->block.size) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  r->rowLength = rowLength;
  r->rowsPerBlock = rowsPerBlock;
  r->pendingWhiteBlocks = 0;
  StartBlock(r);
  return TRUE;
}

BOOL PredictiveRow(PredictiveRaster* r, const BYTE* row) {
  bool white = row == nullptr || RowIsBlank(row, r->rowLength);
  if (white && r->rowsInBlock == r->whiteLead) {
    ++r->whiteLead;
    if (++r->rowsInBlock == r->rowsPerBlock) {
      ++r->pendingWhiteBlocks;
      StartBlock(r);
    }
    return TRUE;
  }
  if (r->whiteLead != 0 || r->pendingWhiteBlocks != 0) {
    if (!SendWhiteBlocks(r)) return FALSE;
    // The white lead codes from the cleared model; it leaves the model cleared.
    for (; r->whiteLead != 0; --r->whiteLead) {
      if (!CodeRow(r, nullptr)) return FALSE;
    }
  }
  if (!CodeRow(r, white ? nullptr : row)) return FALSE;
  return ++r->rowsInBlock == r->rowsPerBlock ? SendBlock(r) : TRUE;
}

BOOL PredictiveRasterEndPage(PredictiveRaster* r) {
  BOOL ok = TRUE;
  if (r->rowsInBlock > r->whiteLead) {
    while (ok && r->rowsInBlock < r->rowsPerBlock) {
      ok = CodeRow(r, nullptr);
      ++r->rowsInBlock;
    }
    if (ok) ok = SendBlock(r);
  }
  r->pendingWhiteBlocks = 0;
  StartBlock(r);
  return ok;
}
