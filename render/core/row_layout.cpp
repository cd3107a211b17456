#include "render/core/row_layout.h"

#include "render/core/pdev.h"

DWORD AlignRowStride(DWORD stride, DWORD workingResolution, DWORD subMode) {
  if (workingResolution == 1200) {
    if (subMode & SUBMODE_TRUE1200) return (stride + 7) & ~DWORD(7);
    DWORD even = (stride + 1 + 1) & ~DWORD(1);
    return (even + 14) & ~DWORD(15);
  }
  if (workingResolution == 300) return (stride + 3) & ~DWORD(3);
  return (stride + 7) & ~DWORD(7);
}

RowLayout ComputeRowLayout(const PDEV* pdev, DWORD rasterWidth, DWORD rasterRows, BOOL directRaster) {
  RowLayout r{};
  // The rows are laid out at the rendering resolution; during a fall-back the
  // working resolution is already the lower one.
  DWORD divisor = pdev->bandState.divisor ? pdev->bandState.divisor : 1;
  DWORD res = DWORD(pdev->devmode.dm.dmYResolution) * divisor;
  r.rasterWidth = rasterWidth;
  r.rasterRows = rasterRows;
  if (directRaster) {
    DWORD margin = res * (pdev->devmode.priv.wPrintMargin == 1 ? 6 : 3) / 300;
    LONG offset = pdev->bandState.pageOffset.x / 8;
    r.leftMarginBytes = margin + DWORD(offset > 0 ? offset : 0);
  }
  DWORD unaligned = (rasterWidth + 7) / 8 + r.leftMarginBytes;
  r.stride = AlignRowStride(unaligned, res, pdev->subMode);
  r.rightFillBytes = r.stride - unaligned;
  return r;
}
