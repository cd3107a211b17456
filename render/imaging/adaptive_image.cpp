#include "render/imaging/adaptive_image.h"

#include <algorithm>
#include <cstring>

#include "render/imaging/delta_row.h"
#include "render/imaging/packbits.h"
#include "render/imaging/row_scan.h"

namespace {

BOOL SendBlock(AdaptiveImage* a) {
  if (a->block.count == 0) return TRUE;
  std::memset(a->seed, 0, a->rowLength);
  a->seedUnknown = TRUE;
  return RasterBlockSend(&a->block, &a->sink, kRasterBlockImage);
}

void Append(AdaptiveImage* a, const ImageRowCoding& c) {
  BYTE header[kAdaptiveHeaderSize];
  PutAdaptiveHeader(header, c.command, c.count);
  RasterBlockAppend(&a->block, header, sizeof header);
  if (c.count != 0) RasterBlockAppend(&a->block, c.data, c.count);
}

ImageRowCoding Code(AdaptiveImage* a, const BYTE* row, DWORD sig) {
  return CodeImageRow(row, sig, a->seedUnknown ? nullptr : a->seed, a->packBitsWork, a->deltaWork,
                      a->workSize);
}

}  // namespace

DWORD AdaptiveImageBlockSize(DWORD rowLength) { return rowLength + 15360; }

ImageRowCoding CodeImageRow(const BYTE* row, DWORD sig, const BYTE* seed, BYTE* packBitsWork,
                            BYTE* deltaWork, DWORD workSize) {
  INT packed = EncodePackBitsBounded(row, sig, packBitsWork, workSize);
  INT delta = seed ? EncodeDeltaRowBounded(sig, row, seed, deltaWork, workSize) : -1;
  // A failed coding counts as longer than the row.
  DWORD packedLength = packed < 0 ? sig + 1 : static_cast<DWORD>(packed);
  DWORD deltaLength = delta < 0 ? sig + 1 : static_cast<DWORD>(delta);
  if (std::min(packedLength, deltaLength) >= sig) return {kAdaptiveUnencoded, row, sig};
  if (packedLength > deltaLength) return {kAdaptiveDeltaRow, deltaWork, deltaLength};
  return {kAdaptivePackBits, packBitsWork, packedLength};
}

void AdaptiveImageInit(AdaptiveImage* a, const AdaptiveBuffers* buffers, RasterSink sink) {
  *a = AdaptiveImage{};
  a->sink = sink;
  a->block = RasterBlock{buffers->block, buffers->blockSize, 0};
  a->seed = buffers->seed;
  a->seedSize = buffers->seedSize;
  a->packBitsWork = buffers->work[0];
  a->deltaWork = buffers->work[1];
  a->workSize = buffers->workSize;
}

BOOL AdaptiveImageStart(AdaptiveImage* a, DWORD rowLength) {
  // A record carries at most the row's bytes (anything longer goes unencoded).
  if (a->seedSize < rowLength || a->workSize < rowLength || rowLength > kAdaptiveMaxCount ||
      a->block.size < kAdaptiveHeaderSize + rowLength) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  a->rowLength = rowLength;
  a->block.count = 0;
  a->seedUnknown = FALSE;
  std::memset(a->seed, 0, rowLength);
  return TRUE;
}

BOOL AdaptiveImageRow(AdaptiveImage* a, const BYTE* row) {
  DWORD sig = SignificantLength(row, a->seed, a->rowLength);
  ImageRowCoding c = Code(a, row, sig);
  if (kAdaptiveHeaderSize + c.count > RasterBlockRoom(&a->block)) {
    // A row is never split: send the block first and code the row again
    // without the seed.
    if (!SendBlock(a)) return FALSE;
    c = Code(a, row, sig);
  }
  Append(a, c);
  std::memcpy(a->seed, row, sig);  // past sig both rows are white
  a->seedUnknown = FALSE;
  return a->block.count >= kAdaptiveImageFlushAt ? SendBlock(a) : TRUE;
}

BOOL AdaptiveImageFlush(AdaptiveImage* a) { return SendBlock(a); }
