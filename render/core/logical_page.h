// The logical page: the page the application draws on, in pixels at the
// working resolution. With N-up it is fitted into one cell of the sheet;
// with a poster it is the whole poster; otherwise the printable area (or, in
// device mode, the largest part of it with the paper's proportions).
#pragma once
#include "render/core/pdev.h"

// One N-up cell: the printable width and height (pixels, the sheet upright)
// divided by the grid; on a rotated sheet the cell is the printable height
// divided by the rows across and the width divided by the columns down.
// Raster pages round both sides down to a multiple of 8. Grid counts of 0
// count as 1.
SIZEL NupCellOf(LONG printWidth, LONG printHeight, DWORD columns, DWORD rows, BOOL rotated, BOOL raster);
// The largest page with the proportions width : length (any unit) that fits
// `cell`; raster pages round the computed side down to a multiple of 8.
SIZEL FitLogicalPage(SIZEL cell, LONG width, LONG length, BOOL raster);
// The layout scaling factor (per mille) between the logical page and the
// engine's page: the smaller ratio of the two sides.
DWORD LayoutScaleFactor(SIZEL logical, SIZEL engine);

// Fills layout.nupCell, layout.logicalPage and layout.enginePage from the
// rest of the layout, and pdev->scaleFactor when the driver scales the page
// (wDetailFlags bit 0x1).
void ComputeLogicalPage(PDEV* pdev);
