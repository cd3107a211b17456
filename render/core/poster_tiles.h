// Poster printing in raster graphics mode: which part of the logical page a
// sheet prints. Tiles are counted in printed orientation (columns across the
// printed rows); on a page rendered rotated the poster's columns run down the
// printed page.
#pragma once
#include "windows.h"

struct PDEV;

struct PosterTile {
  DWORD column, row;         // in printed orientation
  LONG firstByte, lastByte;  // bytes [first, last) of each printed row
  LONG firstRow, lastRow;    // printed rows [first, last)
};

// Tile of page index `pageIndex` on a `columns` × `rows` grid of tiles of
// `tileWidth` × `tileHeight` pixels overlapping by `overlap` pixels.
PosterTile PosterTileAt(DWORD pageIndex, DWORD columns, DWORD rows, LONG tileWidth, LONG tileHeight, LONG overlap);

// The tile extent in pixels along the printed row and down the page: the
// sheet's printable extent × the layout scaling factor / 1000 × resolution / 300.
SIZEL PosterTileSize(const PDEV* pdev, BOOL rotated);
// Grid in printed orientation: columns across the printed row, rows down.
SIZEL PosterGrid(const PDEV* pdev, BOOL rotated);

// The tile of the current page; FALSE outside poster printing.
BOOL CurrentPosterTile(const PDEV* pdev, BOOL rotated, PosterTile* tile);
