#include "render/core/registration_cross.h"

#include "render/core/pdev.h"
#include "render/core/poster_tiles.h"
#include "render/core/raster_page.h"
#include "render/core/raster_page_internal.h"

namespace {

// Inverts printed pixel i of printed row r, when it lies on the page.
void Flip(PDEV* pdev, const RasterSource& src, DWORD walk, LONG r, LONG i) {
  LONG x, y;
  if (src.rotated) {
    x = (walk & WALK_RIGHT_TO_LEFT) ? src.page.cx - 1 - r : r;
    y = (walk & WALK_UP) ? i : src.page.cy - 1 - i;
  } else {
    y = (walk & WALK_UP) ? src.page.cy - 1 - r : r;
    x = (walk & WALK_RIGHT_TO_LEFT) ? src.page.cx - 1 - i : i;
  }
  if (x < 0 || y < 0 || x >= src.page.cx || y >= src.page.cy) return;
  if (x >= pdev->band.size.cx || y >= pdev->band.size.cy) return;
  BYTE* p = pdev->band.bits + size_t(y) * size_t(src.stride) + size_t(x / 8);
  *p ^= BYTE(0x80 >> (x % 8));
}

}  // namespace

LONG RegistrationNode(DWORD i, DWORD tiles, LONG tileExtent, LONG overlap) {
  if (i == 0) return 0;
  if (i >= tiles) return (tileExtent - overlap) * LONG(tiles - 1) + tileExtent - 1;
  return (tileExtent - overlap) * LONG(i) + overlap / 2;
}

BOOL DrawRegistrationCrosses(PDEV* pdev) {
  PosterTile tile;
  BOOL rotated = pdev->layout.rotated;
  if (!pdev->band.bits || !CurrentPosterTile(pdev, rotated, &tile)) return FALSE;
  RasterSource src = BandBitmapSource(pdev, POINTL{0, 0});
  DWORD walk = WalkBits(pdev);
  SIZEL size = PosterTileSize(pdev, rotated);
  SIZEL grid = PosterGrid(pdev, rotated);
  LONG arm = LONG(pdev->devmode.dm.dmYResolution) * 30 / 254;
  for (DWORD j = 0; j <= DWORD(grid.cy); ++j) {
    for (DWORD i = 0; i <= DWORD(grid.cx); ++i) {
      bool edgeX = i == 0 || i == DWORD(grid.cx), edgeY = j == 0 || j == DWORD(grid.cy);
      if (edgeX && edgeY) continue;
      LONG x = RegistrationNode(i, DWORD(grid.cx), size.cx, pdev->layout.posterOverlap);
      LONG y = RegistrationNode(j, DWORD(grid.cy), size.cy, pdev->layout.posterOverlap);
      for (LONG d = -arm; d <= arm; ++d) Flip(pdev, src, walk, y, x + d);
      for (LONG d = -arm; d <= arm; ++d) {
        if (d != 0) Flip(pdev, src, walk, y + d, x);
      }
    }
  }
  return TRUE;
}
