// Placement of logical pages in the cells of an N-up or booklet sheet, and
// the end of each sheet (frame, separators, form feed).
#pragma once
#include "windows.h"

struct PDEV;

// Computes the page offset (pdev->pcl.pageOffset) of the current logical page
// (pdev->layout.pageInSheet); when N-up is active and `noOutput` is 0 the
// output is re-anchored at the cell. 1 when N-up is active, else 0.
int PlaceNupPage(PDEV* pdev, int noOutput);
// Frame and separators when N-up is active with a border style, then the
// form feed in PCL context. Called once per sheet.
BOOL FinishNupSheet(PDEV* pdev);
