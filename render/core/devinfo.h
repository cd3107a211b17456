#pragma once
#include "render/core/pdev.h"

// Computes DEVINFO for the PDEV into `di` (zero-filled first), creating the
// PDEV's default palette (deleting a previous one). FALSE when the palette
// cannot be made.
BOOL ComputeDevInfo(PDEV* pdev, ULONG deviceFonts, DEVINFO* di);
// Copies at most min(cjDevInfo, sizeof(DEVINFO)) bytes to `pdi`.
void CopyDevInfo(const DEVINFO& di, ULONG cjDevInfo, DEVINFO* pdi);
