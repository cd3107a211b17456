// The abort check that page and band code makes between pieces of work.
#pragma once
#include "windows.h"

struct PDEV;

// FALSE when the job must stop: after an output error, or when the user
// cancelled the job (then "\eE" is written so the printer leaves any raster
// or HP-GL/2 state).
BOOL CheckAbort(PDEV* pdev, SURFOBJ* pso);
