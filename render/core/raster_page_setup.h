// The PCL set-up of a raster page up to the raster start: manual duplex
// notification, resolution change, paper, source, media, unit of measure,
// raster resolution and duplex side. The band code writes it just before the
// first band of a page and follows it with the raster start.
#pragma once
#include "windows.h"

struct PDEV;

BOOL WriteRasterPageSetup(PDEV* pdev);
