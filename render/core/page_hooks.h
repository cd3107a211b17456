// Shared by the document and page hooks.
#pragma once
#include "windows.h"

struct PDEV;

// The hooks do nothing for a surface that is neither the PDEV's device
// surface nor its monochrome raster surface.
bool PageHookSkips(const PDEV* pdev, const SURFOBJ* pso);
// Sends a sheet that holds fewer logical pages than it could (document end).
BOOL FinishCollectedSheet(PDEV* pdev, SURFOBJ* pso);
