// Calls from the PDEV lifecycle into subsystems that are filled in later
// (paper geometry, halftoning, device fonts, driver settings). Their bodies
// live in pdev_seams_pending.cpp until those subsystems exist.
#pragma once
#include "render/core/pdev.h"

// Fills pdev->paper, pdev->pageSize (the logical page) and pdev->layout for
// the PDEV's paper at its working resolution (page_geometry.cpp). FALSE when
// the model does not know the paper.
BOOL ComputePaperGeometry(PDEV* pdev);
// Sets up the halftoning for `dpi`; pdev->halftoneCell gets the cell size.
BOOL SetupHalftone(PDEV* pdev, DWORD dpi);
// Device fonts of the printer; the count of fonts that can be offered.
BOOL EnableDeviceFonts(PDEV* pdev, ULONG* count);
// Whether the model cannot print without its device fonts.
BOOL ModelRequiresDeviceFonts(const PDEV* pdev);
// The "DefaultFont" setting of the printer's data, or an empty string.
void ReadDefaultFontSetting(PDEV* pdev, WCHAR* face, size_t chars);
// Releases the font data and halftone tables the PDEV computed itself.
void ReleaseFontData(PDEV* pdev);
void ReleaseHalftone(PDEV* pdev);
