// The job header: Universal Exit Language, the PJL job announcement, the
// switch to PCL and the PCL state the pages rely on.
#pragma once
#include "windows.h"

struct PDEV;

// Raster graphics mode: also sets source, media, page size and duplex,
// because raster pages send no page setup of their own.
BOOL WriteRasterJobHeader(PDEV* pdev);
// Device mode: prepares HP-GL/2 and leaves paper to each page's setup.
BOOL WriteDeviceJobHeader(PDEV* pdev);
// Device mode, a job continued after a reset that changed the resolution.
BOOL WriteContinuationHeader(PDEV* pdev);

// The copy count the header announces: the copy-count escape's value
// (1..99) when one came, else dmCopies.
int JobCopyCount(const PDEV* pdev);
