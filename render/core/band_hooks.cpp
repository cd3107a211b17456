// DrvStartBanding and DrvNextBand: the band path. A page held in one band is
// sent like the page path (with the fall-back); a page of several bands is
// written through without staging, since the bands already sent could not be
// sent again. The band path also counts the page, because the engine calls
// no DrvSendPage after it.
#include <cstring>

#include "render/core/check_abort.h"
#include "render/core/ddi_hooks.h"
#include "render/core/print_direction.h"
#include "render/core/raster_page.h"
#include "render/core/raster_page_internal.h"
#include "render/core/spool_stream.h"

namespace {

// Bands run across the page (by columns) when it is rendered rotated.
LONG BandStep(const PDEV* pdev) { return pdev->layout.rotated ? pdev->band.size.cx : pdev->band.size.cy; }

LONG PageExtent(const PDEV* pdev) {
  SIZEL page = RenderedPage(pdev);
  return pdev->layout.rotated ? page.cx : page.cy;
}

// Bands are taken in printed row order.
bool Reversed(const PDEV* pdev) {
  DWORD walk = WalkBits(pdev);
  return pdev->layout.rotated ? (walk & WALK_RIGHT_TO_LEFT) != 0 : (walk & WALK_UP) != 0;
}

LONG BandsOfPage(const PDEV* pdev) {
  LONG step = BandStep(pdev);
  return step > 0 ? (PageExtent(pdev) + step - 1) / step : 0;
}

POINTL OriginOf(const PDEV* pdev, LONG index) {
  LONG n = BandsOfPage(pdev);
  LONG along = (Reversed(pdev) ? n - 1 - index : index) * BandStep(pdev);
  return pdev->layout.rotated ? POINTL{along, 0} : POINTL{0, along};
}

bool Collecting(const PDEV* pdev) { return pdev->layout.nupFlags != 0; }

DWORD PagesPerSheet(const PDEV* pdev) {
  return pdev->devmode.priv.dwPagesPerSheet ? pdev->devmode.priv.dwPagesPerSheet : 1;
}

void Flip(PDEV* pdev, DWORD times) {
  if (times % 2) ToggleWalkDirection(pdev);
}

void ClearBand(PDEV* pdev) {
  if (pdev->band.bits) std::memset(pdev->band.bits, 0, pdev->band.bytes);
}

// The page is out: end it and count it (a physical page only when a sheet
// or page was sent).
BOOL FinishBandedPage(PDEV* pdev, BOOL ok, bool sent) {
  BandState& b = Band(pdev);
  b.banding = FALSE;
  Flip(pdev, pdev->page.walkFlips);
  pdev->page.walkFlips = 0;
  if (ok) {
    if (sent) {
      ++pdev->pageCount;
      pdev->layout.pageInSheet = 0;
    }
    ++pdev->layout.pageIndex;
  }
  ClearBand(pdev);
  return ok;
}

}  // namespace

KADU_EXPORT BOOL APIENTRY DrvStartBanding(SURFOBJ* pso, POINTL* pptl) {
  PDEV* pdev = PdevFromSurface(pso);
  if (!pdev || !pptl || !pdev->band.bits) return FALSE;
  BandState& b = Band(pdev);
  b.banding = TRUE;
  b.bandIndex = 0;
  // The same walk flips as the page path, for the page as a whole.
  pdev->page.walkFlips = Collecting(pdev) ? 0 : DWORD(WalkFlipCount(pdev, pdev->pageCount + 1, false));
  Flip(pdev, pdev->page.walkFlips);
  b.origin = OriginOf(pdev, 0);
  *pptl = b.origin;
  return TRUE;
}

KADU_EXPORT BOOL APIENTRY DrvNextBand(SURFOBJ* pso, POINTL* pptl) {
  PDEV* pdev = PdevFromSurface(pso);
  if (!pdev || !pptl) return FALSE;
  BandState& b = Band(pdev);
  if (!b.banding) return FALSE;
  if (!CheckAbort(pdev, pso)) {
    if (b.rasterStarted) FinishPageOutput(pdev);
    return FinishBandedPage(pdev, FALSE, false);
  }
  LONG bands = BandsOfPage(pdev);
  RasterSource src = BandBitmapSource(pdev, b.origin);
  BOOL ok = TRUE;
  bool last = LONG(b.bandIndex) + 1 >= bands;
  bool sent = true;
  if (Collecting(pdev)) {
    // A page of a sheet is whole in one band on every usual page; the sheet
    // goes when it is full.
    ok = CollectSheetPage(pdev);
    sent = ok && last && pdev->layout.pageInSheet >= PagesPerSheet(pdev);
    if (sent) {
      DWORD flips = DWORD(WalkFlipCount(pdev, pdev->pageCount + 1, false));
      Flip(pdev, flips);
      ok = SendCollectedSheet(pdev);
      Flip(pdev, flips);
    }
  } else if (bands <= 1) {
    if (pdev->devmode.priv.dwFinishingMode == 2) DrawRegistrationCrosses(pdev);
    ok = TransmitHeldPage(pdev, src);
  } else {
    if (b.bandIndex == 0) {
      if (pdev->flags & PDEV_STAGING) {
        // Earlier bands could not be sent again: no staging for this page.
        ok = SpoolFlush(pdev);
        pdev->flags &= ~DWORD(PDEV_STAGING);
        b.writeThrough = TRUE;
      }
      ok = ok && BeginPageRaster(pdev, src);
    }
    ok = ok && SendSourceRows(pdev, src);
    if (ok && last) ok = EndRasterPage(pdev);
    if (!ok || last) ok = FinishPageOutput(pdev) && ok;
  }
  if (!ok || last) {
    *pptl = POINTL{-1, -1};
    return FinishBandedPage(pdev, ok, sent);
  }
  ++b.bandIndex;
  b.origin = OriginOf(pdev, LONG(b.bandIndex));
  *pptl = b.origin;
  ClearBand(pdev);
  return TRUE;
}
