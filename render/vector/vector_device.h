// Facts about the device and the page that the HP-GL/2 and PCL writers read
// but do not own: the job resolution, the page height that flips y, colour
// output and the merge override. Their owners set them through the functions
// below; neither the page-start reset nor the PDEV reset touches them (a new
// PDEV sets its own).
#pragma once
#include "windows.h"

struct PDEV;

struct VectorDevice {
  DWORD dpi;            // job resolution in dots per inch (300, 600, 1200)
  BOOL true1200;        // resolution sub-mode "true 1200" (bit 0x80)
  BOOL colorOutput;     // colour output is on
  BOOL mergeOverride;   // drawing flag: every merge request sends 168
  LONG pageHeight;      // current page height in device pixels (H)
};

// PDEV enable: the job resolution, the true-1200 sub-mode and colour output.
void VectorSetDevice(PDEV* pdev, DWORD dpi, BOOL true1200, BOOL colorOutput);
// Page geometry: the height H of the current page in device pixels; every
// HP-GL/2 y coordinate is H - device y - 1.
void VectorSetPageHeight(PDEV* pdev, LONG pageHeight);
// The private escapes that bracket a watermark turn the merge override on
// and off.
void VectorSetMergeOverride(PDEV* pdev, BOOL on);

// Device y to HP-GL/2 y and back (the same mapping both ways).
LONG FlipY(const PDEV* pdev, LONG y);
