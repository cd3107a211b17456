// The PCL state the driver believes the printer holds, kept in the PDEV
// (member `pcl`), and the page placement the PCL cursor operations add.
//
// Lifecycle, for the PDEV code:
//   PclStateInit       when a PDEV is enabled: every cache unknown, offsets 0,
//                      no row buffer.
//   PclStateResetPage  at the start of every page: every cache back to its
//                      page-start value. The page and printable offsets, the
//                      new-sheet flag and the raster row buffer belong to
//                      their owners and are kept.
//   PclStateCarry      DrvResetPDEV: caches, offsets and the new-sheet flag go
//                      to the new PDEV; the new PDEV keeps its own row buffer.
// After writing "\eE" or a UEL, call NotePrinterReset (gl2_context.h).
#pragma once
#include "windows.h"

struct PDEV;

constexpr int kPclPalettes = 8;
constexpr int kPclPaletteEntries = 256;
// Style index of "no hatch" in the hatch cache.
constexpr LONG kNoHatch = 6;

struct PclState {
  POINTL cursor;           // last X and Y sent by a cursor operation
  POINTL pageOffset;       // N-up placement: added to page-relative positions
  POINTL printableOffset;  // page setup: the logical page in the physical page
  LONG rasterHeight, rasterWidth;          // last "\e*r#T", "\e*r#S"
  LONG rasterDestHeight, rasterDestWidth;  // last "\e*t#V", "\e*t#H" (tenths)
  LONG selectedPattern;    // last "\e*v#T"
  DWORD sourceTransparency, patternTransparency;  // last requested modes
  LONG patternId;          // last "\e*c#G"; for a grey pattern its grey level
  LONG hatchIndex;         // style index of the brush held as pattern 256
  LONG hatchClass;         // and its grey class
  BOOL hatchTransparent;   // and whether its mask was applied
  LONG fontId;             // last "\e*c#D"
  LONG palette;            // last "\e&p#S"
  // Colour last assigned to each entry of palettes 0-7; HP-GL/2 pen colours
  // are the same entries.
  DWORD paletteColors[kPclPalettes][kPclPaletteEntries];
  DWORD foreground;        // colour of the entry last selected with "\e*v#S"
  LONG printDirection;     // last "\e&a#P"
  BYTE* row;               // raster row being assembled (owned by the band code)
  DWORD rowSize;           // bytes allocated
  DWORD rowLength;         // bytes held
  BOOL newSheet;           // page sequencing: the palette caches are not trusted
};

void PclStateInit(PDEV* pdev);
void PclStateResetPage(PDEV* pdev);
void PclStateCarry(PDEV* to, const PDEV* from);

// The cache entry of palette entry `index` in the current palette (palette 0
// while none is selected), or null when palette or index are outside the
// cache; such entries are never trusted.
DWORD* PaletteEntryCache(PDEV* pdev, LONG index);
