#include "render/core/poster_geometry.h"

#include <algorithm>

#include "render/core/units.h"

namespace {

constexpr DWORD kOverlapFlag = 0x8;
constexpr DWORD kPortraitDirectionFlag = 0x2;

DWORD CustomCount(DWORD v) { return std::clamp<DWORD>(v, 1, kPosterMaxCustom); }

}  // namespace

PosterGrid PosterGridOf(LONG sheets, DWORD customX, DWORD customY, BOOL landscapePage) {
  switch (sheets) {
    case 4: return {2, 2};
    case 9: return {3, 3};
    case -1: return {CustomCount(customX), CustomCount(customY)};
    default: return landscapePage ? PosterGrid{2, 1} : PosterGrid{1, 2};
  }
}

BOOL PosterTurnOf(LONG sheets, DWORD posterFlags, BOOL landscapePage) {
  if (sheets == 4 || sheets == 9) return FALSE;
  if (sheets != -1) return TRUE;
  bool portraitDirection = (posterFlags & kPortraitDirectionFlag) != 0;
  return landscapePage ? portraitDirection : !portraitDirection;
}

LONG PosterExtent(DWORD n, LONG tile, LONG join) {
  if (n == 0) return 0;
  return LONG(int64_t(n) * tile - int64_t(n - 1) * join);
}

PosterTile PosterTileOfPage(DWORD pageIndex, DWORD columns, DWORD rows) {
  columns = std::max<DWORD>(columns, 1);
  rows = std::max<DWORD>(rows, 1);
  DWORD t = pageIndex % (columns * rows);
  return {t, t / columns, t % columns};
}

PosterTile CurrentPosterTile(const PDEV* pdev) {
  const PageLayout& l = pdev->layout;
  return PosterTileOfPage(l.pageIndex, l.posterColumns, l.posterRows);
}

SIZEL PosterTileExtent(const PDEV* pdev) {
  DWORD dpi = pdev->devmode.dm.dmYResolution;
  DWORD f = pdev->scaleFactor ? pdev->scaleFactor : 1000;
  const SIZEL& t = pdev->layout.posterTile;
  return SIZEL{DotsToPixels(LONG(int64_t(t.cx) * f / 1000), dpi), DotsToPixels(LONG(int64_t(t.cy) * f / 1000), dpi)};
}

POINTL PosterTileOrigin(const PDEV* pdev, PosterTile tile) {
  const PageLayout& l = pdev->layout;
  DWORD dpi = pdev->devmode.dm.dmYResolution;
  LONG stepX = DotsToPixels(l.posterTile.cx, dpi) - l.posterJoin;
  LONG stepY = DotsToPixels(l.posterTile.cy, dpi) - l.posterJoin;
  return POINTL{LONG(int64_t(stepX) * tile.column), LONG(int64_t(stepY) * tile.row)};
}

void ComputePosterGeometry(PDEV* pdev, const kadu::PaperRecord& sheet, BOOL rotated) {
  const kadu::PrivateDevmode& p = pdev->devmode.priv;
  PageLayout& l = pdev->layout;
  DWORD dpi = pdev->devmode.dm.dmYResolution;
  BOOL landscapePage = rotated;
  PosterGrid grid = PosterGridOf(p.dwPosterSheets, p.dwCstmX, p.dwCstmY, landscapePage);
  l.posterColumns = grid.columns;
  l.posterRows = grid.rows;
  l.posterTurn = PosterTurnOf(p.dwPosterSheets, p.dwPosterFlags, landscapePage);
  LONG overlap = 1;
  if (p.dwPosterFlags & kOverlapFlag) overlap = std::max<LONG>(1, TenthsToDots(LONG(std::min<DWORD>(p.dwOverlapWidth, 0x7FFF))));
  l.posterOverlap = DotsToPixels(overlap, dpi);
  // Tiles are printed in the page's orientation, or across it when turned.
  bool tileLandscape = (rotated != FALSE) != (l.posterTurn != FALSE);
  const uint16_t* words = tileLandscape ? sheet.landscape : sheet.portrait;
  l.posterTile = SIZEL{words[kadu::kPrintableWidth], words[kadu::kPrintableLength]};
  LONG join = overlap + words[kadu::kEdgeAllowance];
  l.posterJoin = DotsToPixels(join, dpi);
  l.posterLogical = SIZEL{DotsToPixels(PosterExtent(grid.columns, l.posterTile.cx, join), dpi),
                          DotsToPixels(PosterExtent(grid.rows, l.posterTile.cy, join), dpi)};
}
