// Poster printing: one logical page cut into a grid of tiles, each printed on
// its own sheet, neighbours overlapping so that the sheets can be joined.
#pragma once
#include "render/core/pdev.h"

// Tiles across and down; never 0.
struct PosterGrid {
  DWORD columns, rows;
};

// The tile printed for one logical page: the page index counts pages as they
// are sent, and the job supplies one logical page per tile.
struct PosterTile {
  DWORD index;   // page index modulo the number of tiles
  DWORD row;     // from the top
  DWORD column;  // from the left
};

// Largest custom grid along one direction (the layout dialog offers 1 to 4).
constexpr DWORD kPosterMaxCustom = 4;

// The grid of a poster sheet count: 2 is one column of two on portrait pages
// and one row of two on landscape pages, 4 is 2 x 2, 9 is 3 x 3, -1 the
// custom grid (each count kept within 1..kPosterMaxCustom); any other count
// is taken as 2.
PosterGrid PosterGridOf(LONG sheets, DWORD customX, DWORD customY, BOOL landscapePage);
// Whether the tiles are printed turned against the page.
BOOL PosterTurnOf(LONG sheets, DWORD posterFlags, BOOL landscapePage);
// Extent of n tiles of `tile` along one direction, each join giving up `join`.
LONG PosterExtent(DWORD n, LONG tile, LONG join);
// Tile index, row and column of a page index; a grid count of 0 counts as 1.
PosterTile PosterTileOfPage(DWORD pageIndex, DWORD columns, DWORD rows);
// The tile of the PDEV's current page index (layout.pageIndex).
PosterTile CurrentPosterTile(const PDEV* pdev);
// Raster pages: one tile's extent in band pixels (the sheet's printable
// extent scaled by the layout scaling factor).
SIZEL PosterTileExtent(const PDEV* pdev);
// Device pages: the top-left corner of `tile` inside the logical poster page,
// in pixels; tiles step by their printable extent less one join.
POINTL PosterTileOrigin(const PDEV* pdev, PosterTile tile);

// Fills the poster members of pdev->layout (grid, turn, overlap, tile size,
// logical size) from the DEVMODE and the fed sheet's record, as printed
// without the turn (`rotated`: the page is rendered rotated).
void ComputePosterGeometry(PDEV* pdev, const kadu::PaperRecord& sheet, BOOL rotated);
