#include "render/vector/vector_device.h"

#include "render/core/pdev.h"

void VectorSetDevice(PDEV* pdev, DWORD dpi, BOOL true1200, BOOL colorOutput) {
  pdev->vector.dpi = dpi;
  pdev->vector.true1200 = true1200 ? TRUE : FALSE;
  pdev->vector.colorOutput = colorOutput ? TRUE : FALSE;
}

void VectorSetPageHeight(PDEV* pdev, LONG pageHeight) { pdev->vector.pageHeight = pageHeight; }

void VectorSetMergeOverride(PDEV* pdev, BOOL on) { pdev->vector.mergeOverride = on ? TRUE : FALSE; }

LONG FlipY(const PDEV* pdev, LONG y) {
  // In 64 bits: a hostile coordinate must not overflow into another number.
  LONGLONG flipped = LONGLONG(pdev->vector.pageHeight) - y - 1;
  if (flipped > INT32_MAX) return INT32_MAX;
  if (flipped < INT32_MIN) return INT32_MIN;
  return LONG(flipped);
}
