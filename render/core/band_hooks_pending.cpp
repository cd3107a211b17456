// Placeholder hooks until banding and raster transmission exists.
#include "render/core/ddi_hooks.h"

KADU_EXPORT BOOL APIENTRY DrvStartBanding(SURFOBJ*, POINTL*) { return FALSE; }
KADU_EXPORT BOOL APIENTRY DrvNextBand(SURFOBJ*, POINTL*) { return FALSE; }
