// Raster transmission of raster graphics mode pages: document buffers, the
// page path, collected sheets and the band walk bits. The band path hooks
// (DrvStartBanding, DrvNextBand) are in band_hooks.cpp and use the same code.
//
// Order the page code keeps (see docs/raster-transmission.md):
//   DrvStartDoc:  AllocDocumentBuffers (both modes; FALSE frees everything)
//   raster page start: staging as the document wants it (SpoolStartStaging)
//   DrvSendPage:  collected pages: CollectSheetPage, and when the sheet is full
//                 SendCollectedSheet; otherwise walk flips (ToggleWalkDirection),
//                 DrawRegistrationCrosses for poster tiles, SendRasterPage,
//                 flips back, then page count and page index, clear the band
//                 bitmap, flush
//   DrvEndDoc:    a half-full sheet: SendCollectedSheet; then FreeDocumentBuffers
// The job header goes out before the first page's raster (page count 0 and
// the header-pending flag), the page header (WriteRasterPageSetup) and raster
// start before the first band of every page, and one end of raster per page.
#pragma once
#include "render/core/band_state.h"
#include "render/core/registration_cross.h"

struct PDEV;

// The row layout and every document buffer, zero-filled: raster graphics
// mode from the page the engine renders, device mode for image rows of three
// times the page width. FALSE (everything freed) when memory runs out.
BOOL AllocDocumentBuffers(PDEV* pdev);
void FreeDocumentBuffers(PDEV* pdev);

// The page path: abort check, then the whole page from the band bitmap with
// the resolution fall-back while the page is staged. Does not count the page.
BOOL SendRasterPage(PDEV* pdev);

// Collected sheets: copies the finished logical page from the band bitmap
// into its cell of the sheet (origin from PlaceNupPage, byte-aligned across),
// turned by 90° when the sheet turn flag is set, and clears the band bitmap.
BOOL CollectSheetPage(PDEV* pdev);
// Sends the sheet as one page (abort check, band transmission, fall-back) and
// empties it. TRUE at once when no page was collected.
BOOL SendCollectedSheet(PDEV* pdev);
// Logical pages on the current sheet.
DWORD CollectedPages(const PDEV* pdev);
// Moves a half-collected sheet to the PDEV that a reset carries the job to.
void HandOverSheet(PDEV* from, PDEV* to);

// Walk bits of the PDEV's copy of the private DEVMODE word at offset 424.
DWORD WalkBits(const PDEV* pdev);
// Flips both walk direction bits (turns the printed page by 180°).
void ToggleWalkDirection(PDEV* pdev);

// The DirectRaster "End of the page's raster" and the other mode's
// "\e*rC\e*v0O" + form feed; then the page's resolution is restored and the
// stream flushed. Exposed for the band path.
BOOL EndRasterPage(PDEV* pdev);
