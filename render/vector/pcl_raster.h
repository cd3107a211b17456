// PCL raster graphics framing: raster size, start, row transfer, end and
// destination size. Each operation leaves HP-GL/2 context first.
#pragma once
#include "windows.h"

struct PDEV;

// The raster row buffer the band and image code assemble rows in. The owner
// allocates and frees it and sets rowLength as it fills the row.
void PclSetRowBuffer(PDEV* pdev, BYTE* row, DWORD size);

// "\e*r" height "t" and width "s" (each only when changed), "1A" (start at
// the cursor), then "\e*b5M" (adaptive compression).
void PclRasterBegin(PDEV* pdev, LONG height, LONG width);
// "\e*b" n "W" and the n bytes of the row buffer (also n = 0); empties it.
void PclRasterRow(PDEV* pdev);
// The last row, then "\e*rC".
void PclRasterEnd(PDEV* pdev);
// Destination raster height "\e*t#V" and width "\e*t#H" in decipoints, given
// in tenths of a decipoint; each only when changed.
void PclRasterScale(PDEV* pdev, LONG widthTenths, LONG heightTenths);
