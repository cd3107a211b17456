// The page path and the resolution fall-back: a staged page that does not
// fit the printer's memory is thrown away and sent again from the same bitmap
// at half the resolution.
#include <cstring>

#include "render/core/check_abort.h"
#include "render/core/raster_page.h"
#include "render/core/raster_page_internal.h"
#include "render/core/spool_stream.h"

namespace {

bool StagingOverflow(const PDEV* pdev) {
  return pdev->bandState.outputFailed && (pdev->flags & PDEV_STAGING) &&
         !(pdev->flags & PDEV_WRITE_ERROR);
}

void SetWorking(PDEV* pdev, DWORD working, DWORD chosen, DWORD y) {
  pdev->devmode.dm.dmYResolution = short(working);
  pdev->resolution = chosen;
  pdev->yResolution = y;
}

void RestoreResolution(PDEV* pdev) {
  BandState& b = Band(pdev);
  if (b.fallbacks != 0) {
    SetWorking(pdev, b.saved.workingResolution, b.saved.resolution, b.saved.yResolution);
    pdev->subMode = b.saved.subMode;
    b.encoderSelector = b.saved.encoderSelector;
    pdev->flags &= ~DWORD(PDEV_RESOLUTION_FALLBACK);
  }
  b.fallbacks = 0;
  b.fallbackKind = 0;
  b.divisor = 1;
}

// FALSE when no lower resolution is left: the page fails.
BOOL FallBack(PDEV* pdev) {
  BandState& b = Band(pdev);
  SpoolDiscardPage(pdev);
  // The printer saw nothing of the try: the page state goes back to what the
  // first try started from (the job header pending again when it was staged
  // with this page, the paper and source caches, the first-page flag).
  DWORD keep = pdev->flags & DWORD(PDEV_WRITE_ERROR | PDEV_RESOLUTION_FALLBACK);
  pdev->flags = (b.firstTry.flags & ~DWORD(PDEV_WRITE_ERROR | PDEV_RESOLUTION_FALLBACK)) | keep;
  pdev->page = b.firstTry.page;
  pdev->pcl = b.firstTry.pcl;
  std::memcpy(pdev->lastEscapePrefix, b.firstTry.lastEscapePrefix, sizeof pdev->lastEscapePrefix);
  pdev->lastEscapeFinal = b.firstTry.lastEscapeFinal;
  b.headerThisPage = FALSE;
  DWORD working = DWORD(pdev->devmode.dm.dmYResolution);
  if (working <= 300) {
    RestoreResolution(pdev);
    pdev->flags |= PDEV_RASTER_PAGE_CARRIED;
    return FALSE;
  }
  if (b.fallbacks == 0) {
    b.saved = FallbackSaved{working, pdev->resolution, pdev->yResolution, b.divisor, pdev->subMode, b.encoderSelector};
    pdev->flags |= PDEV_RESOLUTION_FALLBACK;
  }
  if (pdev->directRasterRows != 0 && b.fallbacks == 0 && working == 1200) {
    if (pdev->subMode & SUBMODE_600X2400) {
      pdev->subMode &= ~DWORD(SUBMODE_600X2400);
      b.fallbackKind = 4;
    } else if (pdev->subMode & SUBMODE_TRUE1200) {
      pdev->subMode &= ~DWORD(SUBMODE_TRUE1200);
      b.fallbackKind = 5;
      b.divisor *= 2;
    } else {
      b.fallbackKind = 3;
      b.divisor *= 2;
    }
  } else {
    b.divisor *= 2;
    if (pdev->directRasterRows == 0) b.encoderSelector = pdev->devmode.priv.wEncoderSelector;
  }
  SetWorking(pdev, working / 2, pdev->resolution / 2, pdev->yResolution / 2);
  ++b.fallbacks;
  return TRUE;
}

}  // namespace

BOOL FinishPageOutput(PDEV* pdev) {
  BandState& b = Band(pdev);
  RestoreResolution(pdev);
  if (b.writeThrough) {
    pdev->flags |= PDEV_STAGING;
    b.writeThrough = FALSE;
  }
  b.rasterStarted = FALSE;
  return SpoolFlush(pdev);
}

BOOL TransmitHeldPage(PDEV* pdev, const RasterSource& page) {
  for (;;) {
    if (BeginPageRaster(pdev, page) && SendSourceRows(pdev, page) && EndRasterPage(pdev)) break;
    if (!StagingOverflow(pdev) || !FallBack(pdev)) {
      FinishPageOutput(pdev);
      return FALSE;
    }
  }
  return FinishPageOutput(pdev);
}

BOOL SendRasterPage(PDEV* pdev) {
  if (!PdevIsValid(pdev) || !CheckAbort(pdev, pdev->band.locked)) return FALSE;
  POINTL origin{0, 0};
  return TransmitHeldPage(pdev, BandBitmapSource(pdev, origin));
}
