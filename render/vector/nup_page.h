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

// What the placement of one logical page depends on, gathered from the PDEV
// so that the placement itself is a pure function.
struct NupInputs {
  DWORD nupWord;         // layout.nupFlags; 0: one page per sheet; bit 2: landscape pages
  DWORD index;           // position of the page on its sheet, from 0
  BOOL booklet;          // booklet layout instead of a grid
  DWORD bookletFlags;    // dwLayoutFlags: bit 1 mirrored index, bit 5 four pages a side
  DWORD columns, rows;   // the grid, DEVMODE order
  BOOL exchanged;        // columns run down the sheet and rows across
  SIZEL printable;       // printable sheet area in pixels, divided into cells
  DWORD order;           // dwNupOrder
  BOOL landscapeDoc;     // DEVMODE orientation 2: the landscape order bits apply
  POINTL base;           // the sheet's printable origin
  LONG slot[2];          // booklet slot positions
  LONG rotation;         // degrees of the logical page on the sheet
  BOOL landscapeSheet;   // the sheet is rendered rotated
  SIZEL page;            // the logical page W x H in pixels
};

NupInputs NupInputsOf(const PDEV* pdev);
// The page index after the booklet mirror rule (unchanged for grids).
LONG NupEffectiveIndex(const NupInputs& in);
// Column and row (from the top) of page `index` on an nc x nr grid for the
// four order codes (the nibble of dwNupOrder that applies).
POINTL NupGridCell(LONG index, LONG nc, LONG nr, DWORD orderNibble);
// The page offset of the page: the base offset when N-up is off, else its
// cell origin.
POINTL NupPageOffset(const NupInputs& in);
