// Which way each page of a job is printed: the print direction of page n
// (0 = 0°, 1 = 90°, 2 = 180°, 3 = 270°) and how often the band walk is
// flipped for it, by manual duplex, booklet, poster and long-edge duplex.
#pragma once
#include "windows.h"

struct PDEV;

// Manual duplex is in effect: asked for, and the job has at least two pages.
bool ManualDuplexInEffect(const PDEV* pdev);
// Models whose manual feed slot takes the second half of a manual-duplex job
// in one stack (the half rule), unless the multi-purpose tray is manual feed.
bool ManualFeedHalfRule(const PDEV* pdev);
// The direction of page n (the page count plus 1).
int PrintDirection(const PDEV* pdev, DWORD n);
// How many walk flips apply to raster page n; `endOfDocument` keeps only the
// long-edge duplex rule (a half-collected sheet sent at document end).
int WalkFlipCount(const PDEV* pdev, DWORD n, bool endOfDocument);
