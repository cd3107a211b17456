// Stand-in bodies until the halftoning, device font and printer-setting code
// exists.
#include "render/core/pdev_seams.h"

BOOL SetupHalftone(PDEV* pdev, DWORD) {
  pdev->halftoneCell = 8;
  return TRUE;
}

BOOL EnableDeviceFonts(PDEV*, ULONG* count) {
  *count = 0;
  return TRUE;
}

BOOL ModelRequiresDeviceFonts(const PDEV*) { return FALSE; }

void ReleaseFontData(PDEV*) {}
void ReleaseHalftone(PDEV*) {}
