// Registration crosses of poster tiles: at every node of the tile grid but
// the four outer corners, a horizontal and a vertical line one pixel wide,
// each arm resolution × 30 / 254 pixels (3 mm) long, drawn by inverting the
// pixels so that they show on white and on black.
#pragma once
#include "windows.h"

struct PDEV;

// Node positions along one direction of the printed page: 0, the middle of
// each overlap, and the last pixel of the last tile (n + 1 values).
LONG RegistrationNode(DWORD i, DWORD tiles, LONG tileExtent, LONG overlap);

// Draws the crosses into the band bitmap (which holds the whole page).
// FALSE outside poster printing.
BOOL DrawRegistrationCrosses(PDEV* pdev);
