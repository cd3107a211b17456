// Device mode pages: the PCL and HP-GL/2 set-up at the start of each sheet,
// and the backing sheet that follows a transparency.
#pragma once
#include "windows.h"

struct PDEV;

BOOL WriteDevicePageHeader(PDEV* pdev);
// Ejects the sheet (with N-up separators) and, after a transparency, adds a
// backing sheet from the interleave source.
BOOL EjectDeviceSheet(PDEV* pdev);
