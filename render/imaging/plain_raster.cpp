#include "render/imaging/plain_raster.h"

#include <algorithm>
#include <cstring>

#include "render/imaging/delta_row.h"
#include "render/imaging/packbits.h"
#include "render/imaging/row_scan.h"

DWORD PlainWorkSize(DWORD rowLength) { return std::max(PackBitsBound(rowLength), DeltaRowBound(rowLength)); }

void PlainRasterInit(PlainRaster* p, BYTE* seed, DWORD seedSize, BYTE* work, DWORD workSize, RasterSink sink) {
  *p = PlainRaster{};
  p->sink = sink;
  p->seed = seed;
  p->seedSize = seedSize;
  p->work = work;
  p->workSize = workSize;
}

BOOL PlainRasterStartPage(PlainRaster* p, DWORD method, DWORD rowLength, BOOL invert) {
  if ((method != 2 && method != 3) || p->seedSize < rowLength || p->workSize < PlainWorkSize(rowLength)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  p->method = method;
  p->rowLength = rowLength;
  p->invert = invert;
  p->pendingEmpty = 0;
  std::memset(p->seed, 0, rowLength);
  return TRUE;
}

BOOL PlainRasterRow(PlainRaster* p, BYTE* row) {
  DWORD n = p->rowLength;
  if (p->invert) InvertRow(row, n);
  if (RowIsBlank(row, n)) {
    ++p->pendingEmpty;
    return TRUE;
  }
  if (p->pendingEmpty != 0) {
    DWORD rows = p->pendingEmpty;
    p->pendingEmpty = 0;
    std::memset(p->seed, 0, n);
    if (!p->sink.sendBlock(p->sink.context, kRasterRowSkip, nullptr, rows)) return FALSE;
  }
  DWORD sig = SignificantLength(row, p->method == 3 ? p->seed : nullptr, n);
  INT count = p->method == 3 ? EncodeDeltaRow(sig, row, p->seed, p->work, p->workSize)
                             : EncodePackBits(row, sig, p->work, p->workSize);
  if (count < 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  std::memcpy(p->seed, row, n);
  return p->sink.sendBlock(p->sink.context, kRasterRowTransfer, p->work, static_cast<DWORD>(count));
}

BOOL PlainRasterEndPage(PlainRaster* p) {
  p->pendingEmpty = 0;
  return TRUE;
}
