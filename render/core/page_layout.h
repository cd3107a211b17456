// The geometry of the logical page and of the sheet it is printed on, worked
// out when a PDEV is enabled, plus the counters that place logical pages on
// sheets (N-up, booklet) and poster tiles. Kept in the PDEV (member `layout`).
#pragma once
#include "common/paper_table.h"
#include "windows.h"

// N-up flags.
enum : DWORD {
  LAYOUT_NUP = 0x1,             // logical pages scaled into a grid of cells
  LAYOUT_NUP_TURNED = 0x2,      // with LAYOUT_NUP: the grid is not square, the sheet is turned
  LAYOUT_NUP_LANDSCAPE = 0x4,   // the collected pages are landscape
};

struct PageLayout {
  kadu::PaperRecord outputPaper;  // the paper the page is laid out on (sizes turned on rotated pages)
  kadu::PaperRecord sheetPaper;   // the paper actually fed
  BOOL rotated;                   // the page is rendered rotated
  DWORD nupFlags;                 // LAYOUT_* bits; 0: one logical page per sheet
  DWORD nupColumns, nupRows;      // the N-up grid as used (never 0), DEVMODE order
  LONG pageWidth, pageHeight;     // printable page in pixels at the working resolution
  SIZEL logicalPage;              // the page the application draws on (GDIINFO)
  SIZEL enginePage;               // the page the engine is given (GDIINFO ulHorzRes, ulVertRes)
  SIZEL nupCell;                  // one N-up cell in pixels, across and down the sheet
  SIZEL sheetSize;                // the fed sheet's physical size in pixels, portrait order
  // Poster printing: tile grid (0 × 0 when not printing a poster), overlap
  // and whole-poster size in pixels, and whether the poster is turned.
  DWORD posterColumns, posterRows;
  LONG posterOverlap;
  SIZEL posterLogical;
  BOOL posterTurn;
  SIZEL posterTile;               // one tile's printable size in dots at 300 dpi, as printed
  LONG posterJoin;                // pixels each join gives up: the overlap and the paper's edge allowance
  // Sequencing: logical pages finished, and those on the current sheet.
  DWORD pageIndex;
  DWORD pageInSheet;
  // N-up placement: where the sheet's printable area starts, the booklet
  // slot positions, and the page-layout flags (bit 0: columns and rows
  // exchanged).
  POINTL baseOffset;
  LONG bookletSlot[2];
  DWORD layoutFlags;
  LONG rotation;                  // degrees (0, 90, 180, 270) of the logical page on the sheet
};

// layoutFlags bits.
enum : DWORD {
  LAYOUT_GRID_EXCHANGED = 0x1,    // the sheet is turned: columns run down, rows across
};
