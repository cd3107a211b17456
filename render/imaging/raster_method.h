// Which compression a raster graphics mode page is sent with.
#pragma once
#include "windows.h"

enum RasterMethod : DWORD {
  kRasterMethodAdaptive = 5,      // PCL adaptive compression, rows packed by AdaptiveRaster
  kRasterMethodPredictive = 131,  // the driver's predictive coding, rows packed by PredictiveRaster
};

// Pages go with method 131 when the printer takes blocks of a fixed number of
// rows (the DirectRaster row count), with adaptive compression otherwise.
// Device-mode images always use adaptive compression (AdaptiveImage).
inline RasterMethod RasterMethodForPage(DWORD directRasterRowCount) {
  return directRasterRowCount != 0 ? kRasterMethodPredictive : kRasterMethodAdaptive;
}
