// Raster transmission entry points used by page sequencing.
#pragma once
#include "windows.h"

struct PDEV;

BOOL AllocDocumentBuffers(PDEV* pdev);
void FreeDocumentBuffers(PDEV* pdev);
BOOL SendRasterPage(PDEV* pdev);
BOOL CollectSheetPage(PDEV* pdev);
BOOL SendCollectedSheet(PDEV* pdev);
void ToggleWalkDirection(PDEV* pdev);
BOOL DrawRegistrationCrosses(PDEV* pdev);
