#include "render/imaging/adaptive_raster.h"

#include <algorithm>
#include <cstring>

#include "render/imaging/adaptive_record.h"
#include "render/imaging/delta_row.h"
#include "render/imaging/packbits.h"
#include "render/imaging/row_scan.h"

namespace {

// Every record but a repeat count leaves room for one repeat count after it, so
// that pending repeats can always join the block that holds their row.
bool Fits(const AdaptiveRaster* a, DWORD size) {
  return size <= RasterBlockRoom(&a->block) && RasterBlockRoom(&a->block) - size >= kAdaptiveHeaderSize;
}

void Append(AdaptiveRaster* a, AdaptiveCommand command, DWORD count, const BYTE* data, DWORD dataSize) {
  BYTE header[kAdaptiveHeaderSize];
  PutAdaptiveHeader(header, command, count);
  RasterBlockAppend(&a->block, header, sizeof header);
  if (dataSize != 0) RasterBlockAppend(&a->block, data, dataSize);
}

BOOL SendBlock(AdaptiveRaster* a) {
  if (a->block.count == 0) return TRUE;
  std::memset(a->seed, 0, a->rowLength);
  a->seedUnknown = TRUE;
  return RasterBlockSend(&a->block, &a->sink, kRasterBlockAdaptive);
}

// The room for it was kept when its row went into the block.
void PutDuplicates(AdaptiveRaster* a) {
  if (a->pendingDuplicate == 0) return;
  Append(a, kAdaptiveDuplicateRows, a->pendingDuplicate, nullptr, 0);
  a->pendingDuplicate = 0;
}

BOOL CountDuplicate(AdaptiveRaster* a) {
  if (++a->pendingDuplicate < kAdaptiveMaxCount) return TRUE;
  PutDuplicates(a);
  // Without room for another count the block goes now; the next repeat is then
  // sent as a row of its own.
  return RasterBlockRoom(&a->block) >= kAdaptiveHeaderSize ? TRUE : SendBlock(a);
}

BOOL PutEmptyRows(AdaptiveRaster* a) {
  while (a->pendingEmpty != 0) {
    DWORD n = std::min(a->pendingEmpty, kAdaptiveMaxCount);
    if (!Fits(a, kAdaptiveHeaderSize) && !SendBlock(a)) return FALSE;
    Append(a, kAdaptiveEmptyRows, n, nullptr, 0);
    a->pendingEmpty -= n;
  }
  std::memset(a->seed, 0, a->rowLength);
  a->seedUnknown = FALSE;
  return TRUE;
}

// Codes the row both ways into the work buffers and returns the shorter; the
// delta row wins ties. The delta coder stops as soon as it is the longer one.
AdaptiveCommand Choose(AdaptiveRaster* a, const BYTE* row, DWORD sig, const BYTE** data, DWORD* count) {
  INT packed = EncodePackBits(row, sig, a->packBitsWork, a->workSize);
  *data = a->packBitsWork;
  *count = static_cast<DWORD>(packed);
  if (a->seedUnknown) return kAdaptivePackBits;
  INT delta = EncodeDeltaRow(sig, row, a->seed, a->deltaWork, static_cast<DWORD>(packed));
  if (delta < 0) return kAdaptivePackBits;
  *data = a->deltaWork;
  *count = static_cast<DWORD>(delta);
  return kAdaptiveDeltaRow;
}

BOOL PutRow(AdaptiveRaster* a, const BYTE* row, DWORD sig) {
  const BYTE* data;
  DWORD count;
  AdaptiveCommand command = Choose(a, row, sig, &data, &count);
  if (!Fits(a, kAdaptiveHeaderSize + count)) {
    // A row is never split: send the block first and code the row again, now
    // without the seed it was compared with.
    if (!SendBlock(a)) return FALSE;
    command = Choose(a, row, sig, &data, &count);
    if (!Fits(a, kAdaptiveHeaderSize + count)) {
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return FALSE;
    }
  }
  Append(a, command, count, data, count);
  std::memcpy(a->seed, row, sig);  // past sig both rows are white
  a->seedUnknown = FALSE;
  return a->block.count >= kAdaptiveRasterFlushAt ? SendBlock(a) : TRUE;
}

}  // namespace

DWORD AdaptiveWorkSize(DWORD rowLength) { return std::max(PackBitsBound(rowLength), DeltaRowBound(rowLength)); }

DWORD AdaptiveRasterBlockSize(DWORD rowLength) {
  return std::max(kAdaptiveRasterBlockSize, 2 * kAdaptiveHeaderSize + AdaptiveWorkSize(rowLength));
}

void AdaptiveRasterInit(AdaptiveRaster* a, const AdaptiveBuffers* buffers, RasterSink sink) {
  *a = AdaptiveRaster{};
  a->sink = sink;
  a->block = RasterBlock{buffers->block, buffers->blockSize, 0};
  a->seed = buffers->seed;
  a->seedSize = buffers->seedSize;
  a->packBitsWork = buffers->work[0];
  a->deltaWork = buffers->work[1];
  a->workSize = buffers->workSize;
}

BOOL AdaptiveRasterStartPage(AdaptiveRaster* a, DWORD rowLength, BOOL invert) {
  if (a->seedSize < rowLength || a->workSize < AdaptiveWorkSize(rowLength) ||
      a->block.size < 2 * kAdaptiveHeaderSize + AdaptiveWorkSize(rowLength) ||
      AdaptiveWorkSize(rowLength) > kAdaptiveMaxCount) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  a->rowLength = rowLength;
  a->invert = invert;
  a->block.count = 0;
  a->pendingEmpty = 0;
  a->pendingDuplicate = 0;
  a->seedUnknown = FALSE;  // starting raster graphics clears the printer's seed
  std::memset(a->seed, 0, rowLength);
  return TRUE;
}

BOOL AdaptiveRasterRow(AdaptiveRaster* a, BYTE* row) {
  DWORD n = a->rowLength;
  if (a->invert) InvertRow(row, n);
  if (RowIsBlank(row, n)) {
    ++a->pendingEmpty;
    return TRUE;
  }
  DWORD sig = SignificantLength(row, a->seed, n);
  if (a->pendingEmpty != 0) {
    PutDuplicates(a);
    if (!PutEmptyRows(a)) return FALSE;
  }
  if (std::memcmp(row, a->seed, sig) == 0) return CountDuplicate(a);
  PutDuplicates(a);
  return PutRow(a, row, sig);
}

BOOL AdaptiveRasterFlush(AdaptiveRaster* a) {
  PutDuplicates(a);
  return SendBlock(a);
}

BOOL AdaptiveRasterEndPage(AdaptiveRaster* a) {
  BOOL ok = AdaptiveRasterFlush(a);
  a->pendingEmpty = 0;
  return ok;
}
