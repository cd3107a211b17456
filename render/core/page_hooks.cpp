// DrvStartPage and DrvSendPage for both rendering modes, and the page
// counters that decide front and back, sheets and tiles.
#include <cstring>

#include "render/core/check_abort.h"
#include "render/core/device_page.h"
#include "render/core/hook_impl.h"
#include "render/core/page_hooks.h"
#include "render/core/pdev.h"
#include "render/core/pjl_header.h"
#include "render/core/print_direction.h"
#include "render/core/raster_page.h"
#include "render/core/spool_stream.h"
#include "render/vector/gl2_state.h"
#include "render/vector/nup_page.h"
#include "render/vector/pcl_state.h"

namespace {

const kadu::PrivateDevmode& Priv(const PDEV* p) { return p->devmode.priv; }

bool Collecting(const PDEV* p) { return p->layout.nupFlags != 0; }

DWORD PagesPerSheet(const PDEV* p) {
  if (!p->rasterMode) {
    DWORD cells = Priv(p).dwNupColumns * Priv(p).dwNupRows;
    return cells ? cells : 1;
  }
  return Priv(p).dwPagesPerSheet ? Priv(p).dwPagesPerSheet : 1;
}

void ToggleTimes(PDEV* p, int times) {
  if (times % 2) ToggleWalkDirection(p);
}

void PageDone(PDEV* p) {
  p->pageCount++;
  p->layout.pageIndex++;
  p->layout.pageInSheet = 0;
}

BOOL RasterStartPage(PDEV* p) {
  // Without a known printer memory (or the room to hold a page) pages are
  // written through and only the resolution fall-back is lost.
  if ((p->flags & PDEV_FIRST_PAGE) && p->pageCount == 0 && (Priv(p).wStagingSelector & 0xFF))
    SpoolStartStaging(p);
  if (Collecting(p)) p->layout.pageInSheet++;
  p->flags |= PDEV_PAGE_OPEN;
  return TRUE;
}

BOOL RasterSendPage(PDEV* p, SURFOBJ*) {
  if (Collecting(p)) {
    if (!CollectSheetPage(p)) return FALSE;
    if (p->layout.pageInSheet < PagesPerSheet(p)) return TRUE;
  }
  int flips = WalkFlipCount(p, p->pageCount + 1, false);
  p->page.walkFlips = DWORD(flips);
  ToggleTimes(p, flips);
  if (Priv(p).dwFinishingMode == 2) DrawRegistrationCrosses(p);
  BOOL ok = Collecting(p) ? SendCollectedSheet(p) : SendRasterPage(p);
  ToggleTimes(p, flips);
  PageDone(p);
  if (p->band.bits) std::memset(p->band.bits, 0, p->band.bytes);
  p->flags &= ~DWORD(PDEV_PAGE_OPEN);
  if (!SpoolFlush(p)) ok = FALSE;
  return ok;
}

BOOL DeviceStartPage(PDEV* p) {
  if (p->pageCount == 0 && !(p->flags & PDEV_HEADER_SENT)) {
    if (!WriteDeviceJobHeader(p)) return FALSE;
    p->flags |= PDEV_HEADER_SENT | PDEV_PAPER_CHANGED;
  }
  if (p->layout.pageInSheet == 0) {
    Gl2StateResetPage(p);
    PclStateResetPage(p);
    if (!WriteDevicePageHeader(p)) return FALSE;
    p->pcl.newSheet = FALSE;
  } else {
    PlaceNupPage(p, 0);
  }
  if (Collecting(p)) p->layout.pageInSheet++;
  p->flags |= PDEV_PAGE_OPEN;
  return (p->flags & PDEV_WRITE_ERROR) ? FALSE : TRUE;
}

BOOL DeviceSendPage(PDEV* p, SURFOBJ* pso) {
  if (Collecting(p) && p->layout.pageInSheet < PagesPerSheet(p)) return TRUE;
  p->flags &= ~DWORD(PDEV_PAGE_OPEN);
  if (!CheckAbort(p, pso)) return FALSE;
  BOOL ok = EjectDeviceSheet(p);
  PageDone(p);
  if (!SpoolFlush(p)) ok = FALSE;
  return ok;
}

}  // namespace

bool PageHookSkips(const PDEV* p, const SURFOBJ* pso) {
  return !pso->dhsurf && !(p->rasterMode && !p->vector.colorOutput);
}

BOOL FinishCollectedSheet(PDEV* p, SURFOBJ* pso) {
  BOOL ok;
  if (p->rasterMode) {
    int flips = WalkFlipCount(p, p->pageCount + 1, true);
    ToggleTimes(p, flips);
    ok = SendCollectedSheet(p);
    ToggleTimes(p, flips);
  } else {
    ok = CheckAbort(p, pso) && EjectDeviceSheet(p);
  }
  PageDone(p);
  return ok;
}

BOOL ImplStartPage(SURFOBJ* pso) {
  PDEV* p = PdevFromSurface(pso);
  if (!p) return FALSE;
  if (PageHookSkips(p, pso)) return TRUE;
  if (p->flags & PDEV_WRITE_ERROR) return FALSE;
  return p->rasterMode ? RasterStartPage(p) : DeviceStartPage(p);
}

BOOL ImplSendPage(SURFOBJ* pso) {
  PDEV* p = PdevFromSurface(pso);
  if (!p) return FALSE;
  if (PageHookSkips(p, pso)) return TRUE;
  if (p->flags & PDEV_WRITE_ERROR) return FALSE;
  return p->rasterMode ? RasterSendPage(p, pso) : DeviceSendPage(p, pso);
}
