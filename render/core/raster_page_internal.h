// Shared between the page path, the band path and collected sheets.
#pragma once
#include "render/core/band_state.h"
#include "render/core/pdev.h"

inline BandState& Band(PDEV* pdev) { return pdev->bandState; }

// The band bitmap as a source: the part of the rendered page at `origin`.
RasterSource BandBitmapSource(PDEV* pdev, POINTL origin);
// The rendered page of the band bitmap (the doubled axis of 600 × 2400 included).
SIZEL RenderedPage(const PDEV* pdev);

// One page's raster: the job header when it is due, the page header and the
// raster start, the encoder of the page's method.
BOOL BeginPageRaster(PDEV* pdev, const RasterSource& page);
// The printed rows of `src` (a band or the whole page), in printed order.
BOOL SendSourceRows(PDEV* pdev, const RasterSource& src);
// A whole page held in memory, with the fall-back while it is staged.
BOOL TransmitHeldPage(PDEV* pdev, const RasterSource& page);
// The page's resolution restored, divisor 1, staging back on after a page
// written through, and the stream flushed.
BOOL FinishPageOutput(PDEV* pdev);
