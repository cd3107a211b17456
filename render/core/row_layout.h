// The row layout of a raster page: printed row width, left margin and the
// aligned row stride of the row buffers.
#pragma once
#include "render/core/band_state.h"

struct PDEV;

// Alignment of a row stride at the working resolution: at 1200 dpi without
// the true-1200 sub-mode ((stride + 1) rounded up to even + 14) rounded down
// to 16, else to 8; at 300 dpi to 4; otherwise to 8.
DWORD AlignRowStride(DWORD stride, DWORD workingResolution, DWORD subMode);

// The layout for printed rows (at the rendering resolution: the working
// resolution times the fall-back divisor) of `rasterWidth` pixels (`rasterRows` rows);
// `directRaster` adds the left margin bytes of the print margin and of the
// page's own offset.
RowLayout ComputeRowLayout(const PDEV* pdev, DWORD rasterWidth, DWORD rasterRows, BOOL directRaster);
