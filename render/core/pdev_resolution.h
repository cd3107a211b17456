#pragma once
#include "render/core/pdev.h"

// Chooses pdev->resolution (300, 600 or 1200 dpi) and pdev->subMode from
// dmPrintQuality and the model's quality levels.
void ChooseResolution(PDEV* pdev);
// The working (rendering) resolution: raster graphics mode at 600 dpi with
// the 600×1200 sub-mode renders at 1200 dpi.
DWORD WorkingResolution(const PDEV* pdev);
