// The document buffers of raster transmission and device-mode images.
#include <algorithm>

#include "render/core/raster_page.h"
#include "render/core/raster_page_internal.h"
#include "render/core/row_layout.h"
#include "render/core/spool_stream.h"
#include "render/imaging/adaptive_image.h"

namespace {

BYTE* Take(size_t bytes, bool* ok) {
  if (!*ok) return nullptr;
  auto* p = static_cast<BYTE*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes ? bytes : 1));
  if (!p) *ok = false;
  return p;
}

void Give(BYTE** p) {
  if (*p) HeapFree(GetProcessHeap(), 0, *p);
  *p = nullptr;
}

bool Collects(const PDEV* pdev) {
  return pdev->layout.nupFlags != 0;
}

// The widest printed row the document sends: the page, or a collected sheet.
DWORD WidestRow(const PDEV* pdev) {
  SIZEL page = RenderedPage(pdev);
  DWORD width = DWORD(pdev->layout.rotated ? page.cy : page.cx);
  if (Collects(pdev)) width = std::max<DWORD>(width, DWORD(std::max(pdev->layout.pageWidth, pdev->pageSize.cx)));
  return width;
}

// Everything but a half-collected sheet, which a reset may have handed over.
void FreeRowBuffers(PDEV* pdev) {
  BandState& b = Band(pdev);
  for (BYTE*& g : b.groups) Give(&g);
  Give(&b.workRow);
  Give(&b.block);
  Give(&b.work[0]);
  Give(&b.work[1]);
  Give(&b.previousRow);
  Give(&b.coderRow);
  Give(&b.tonerRow);
  b.blockSize = b.workSize = b.previousSize = b.coderRowSize = 0;
  b.groupBuffers = 0;
  b.rowCapacity = 0;
  SpoolFreeBuffers(pdev);
}

}  // namespace

BOOL AllocDocumentBuffers(PDEV* pdev) {
  BandState& b = Band(pdev);
  FreeRowBuffers(pdev);
  bool ok = SpoolAllocBlock(pdev) != FALSE;
  DWORD stride;
  if (pdev->rasterMode) {
    SIZEL page = RenderedPage(pdev);
    bool directRaster = pdev->directRasterRows != 0;
    b.row = ComputeRowLayout(pdev, WidestRow(pdev), DWORD(pdev->layout.rotated ? page.cx : page.cy), directRaster);
    stride = b.row.stride;
    b.deviceBuffers = FALSE;
    // A page that falls back to 300 dpi with DirectRaster can need a wider
    // stride alignment than the document started with.
    stride = std::max(stride, AlignRowStride(stride, 300, 0));
  } else {
    DWORD pageBytes = DWORD(std::max<LONG>(pdev->pageSize.cx, 0) + 7) / 8;
    stride = (3 * pageBytes + 7) & ~DWORD(7);
    b.row = RowLayout{DWORD(pdev->pageSize.cx), DWORD(pdev->pageSize.cy), 0, stride, 0};
    b.deviceBuffers = TRUE;
  }
  bool turned1200 = pdev->rasterMode && pdev->layout.rotated && pdev->devmode.dm.dmYResolution == 1200;
  b.groupBuffers = turned1200 ? 4 : 2;
  for (DWORD i = 0; i < b.groupBuffers; ++i) b.groups[i] = Take(size_t(stride) * 8, &ok);
  b.workRow = Take(stride, &ok);
  if (!pdev->rasterMode) {
    b.blockSize = AdaptiveImageBlockSize(stride);
  } else if (pdev->directRasterRows != 0) {
    b.blockSize = PredictiveBlockSize(2 * stride, pdev->directRasterRows);
  } else {
    b.blockSize = AdaptiveRasterBlockSize(stride);
  }
  b.block = Take(b.blockSize, &ok);
  b.workSize = std::max({stride * 8, AdaptiveWorkSize(stride), PlainWorkSize(stride)});
  b.work[0] = Take(b.workSize, &ok);
  b.work[1] = Take(b.workSize, &ok);
  b.previousSize = stride * 8;
  b.previousRow = Take(b.previousSize, &ok);
  b.coderRowSize = 2 * stride;
  b.coderRow = Take(b.coderRowSize, &ok);
  if (pdev->devmode.priv.wTonerSave) b.tonerRow = Take(DWORD(pdev->pageSize.cx / 8) + b.row.leftMarginBytes, &ok);
  if (!ok) {
    FreeDocumentBuffers(pdev);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
  }
  b.rowCapacity = stride;
  b.divisor = 1;
  b.encoderSelector = pdev->devmode.priv.wEncoderSelector;
  return TRUE;
}

void FreeDocumentBuffers(PDEV* pdev) {
  BandState& b = Band(pdev);
  FreeRowBuffers(pdev);
  Give(&b.sheet);
  b.sheetPages = 0;
}
