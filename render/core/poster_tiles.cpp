#include "render/core/poster_tiles.h"

#include "render/core/pdev.h"

PosterTile PosterTileAt(DWORD pageIndex, DWORD columns, DWORD rows, LONG tileWidth, LONG tileHeight, LONG overlap) {
  PosterTile t{};
  DWORD tiles = columns * rows;
  DWORD n = tiles ? pageIndex % tiles : 0;
  t.row = columns ? n / columns : 0;
  t.column = columns ? n % columns : 0;
  t.firstByte = (tileWidth - overlap) * LONG(t.column) / 8;
  t.lastByte = t.firstByte + tileWidth / 8;
  t.firstRow = (tileHeight - overlap) * LONG(t.row);
  t.lastRow = t.firstRow + tileHeight;
  return t;
}

SIZEL PosterTileSize(const PDEV* pdev, BOOL rotated) {
  LONG res = pdev->devmode.dm.dmYResolution;
  LONG scale = pdev->scaleFactor ? LONG(pdev->scaleFactor) : 1000;
  LONG across = rotated ? pdev->paper.printHeight : pdev->paper.printWidth;
  LONG down = rotated ? pdev->paper.printWidth : pdev->paper.printHeight;
  return SIZEL{LONG(int64_t(across) * scale / 1000 * res / 300), LONG(int64_t(down) * scale / 1000 * res / 300)};
}

SIZEL PosterGrid(const PDEV* pdev, BOOL rotated) {
  LONG c = LONG(pdev->layout.posterColumns), r = LONG(pdev->layout.posterRows);
  return rotated ? SIZEL{r, c} : SIZEL{c, r};
}

BOOL CurrentPosterTile(const PDEV* pdev, BOOL rotated, PosterTile* tile) {
  if (pdev->devmode.priv.dwFinishingMode != 2 || pdev->layout.posterColumns == 0 || pdev->layout.posterRows == 0)
    return FALSE;
  SIZEL size = PosterTileSize(pdev, rotated);
  DWORD c = pdev->layout.posterColumns, r = pdev->layout.posterRows;
  DWORD n = pdev->layout.pageIndex % (c * r);
  // The user's grid counts across the page as rendered; turn it for printing.
  DWORD index = rotated ? (n % c) * r + n / c : n;
  SIZEL grid = PosterGrid(pdev, rotated);
  *tile = PosterTileAt(index, DWORD(grid.cx), DWORD(grid.cy), size.cx, size.cy, pdev->layout.posterOverlap);
  return TRUE;
}
