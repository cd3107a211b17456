// DrvResetPDEV: the job carried from the old PDEV to the new one. Buffers
// move with their ownership, so each is freed by exactly one PDEV.
#include <cstring>

#include "render/core/band_bitmap.h"
#include "render/core/hook_impl.h"
#include "render/core/pdev_reset.h"
#include "render/core/raster_page.h"
#include "render/core/spool_stream.h"
#include "render/text/escape_stores.h"
#include "render/vector/gl2_state.h"
#include "render/vector/pcl_state.h"

namespace {

constexpr DWORD kCarryDevice = PDEV_DOC_STARTED | PDEV_HEADER_SENT;
constexpr DWORD kCarryRasterSameMode = PDEV_DOC_STARTED | PDEV_HEADER_SENT | PDEV_PAGE_OPEN | PDEV_RASTER_PAGE_CARRIED;
constexpr DWORD kCarryRasterNewMode =
    PDEV_DOC_STARTED | PDEV_HEADER_PENDING | PDEV_PAGE_OPEN | PDEV_RASTER_PAGE_CARRIED;

bool SameSetup(const PDEV* a, const PDEV* b) {
  return a->devmode.dm.dmPaperSize == b->devmode.dm.dmPaperSize &&
         a->devmode.dm.dmDefaultSource == b->devmode.dm.dmDefaultSource &&
         a->devmode.dm.dmDuplex == b->devmode.dm.dmDuplex;
}

bool Simplex(const PDEV* p) { return p->devmode.dm.dmDuplex <= DMDUP_SIMPLEX; }

template <typename T>
void Move(T*& to, T*& from) {
  if (to) HeapFree(GetProcessHeap(), 0, to);
  to = from;
  from = nullptr;
}

DWORD CarriedFlags(const PDEV* oldPdev, const PDEV* newPdev) {
  if (!newPdev->rasterMode) return oldPdev->flags & kCarryDevice;
  return oldPdev->flags & (oldPdev->rasterMode ? kCarryRasterSameMode : kCarryRasterNewMode);
}

}  // namespace

void CarryJob(PDEV* oldPdev, PDEV* newPdev) {
  if (oldPdev->devmode.dm.dmPrintQuality != newPdev->devmode.dm.dmPrintQuality)
    newPdev->flags |= PDEV_RESOLUTION_CHANGED;
  if (oldPdev->devmode.dm.dmPaperSize != newPdev->devmode.dm.dmPaperSize || (oldPdev->flags & PDEV_PAPER_CHANGED))
    newPdev->flags |= PDEV_PAPER_CHANGED;
  Move(newPdev->jobName, oldPdev->jobName);
  if (SameSetup(oldPdev, newPdev))
    newPdev->flags |= PDEV_PRINTER_HAS_SETUP;
  else
    newPdev->flags &= ~DWORD(PDEV_PRINTER_HAS_SETUP);
  if (!(Simplex(oldPdev) && Simplex(newPdev)) && (oldPdev->pageCount & 1)) oldPdev->pageCount++;
}

void CarryBuffers(PDEV* oldPdev, PDEV* newPdev) {
  Move(newPdev->jobData, oldPdev->jobData);
  newPdev->jobDataBytes = oldPdev->jobDataBytes;
  oldPdev->jobDataBytes = 0;
  Move(newPdev->fontTables, oldPdev->fontTables);
  newPdev->fontCount = oldPdev->fontCount;
  oldPdev->fontCount = 0;
  newPdev->pageCount = oldPdev->pageCount;
  for (int i = 0; i < 4; ++i) newPdev->lastEscapePrefix[i] = oldPdev->lastEscapePrefix[i];
  newPdev->lastEscapeFinal = oldPdev->lastEscapeFinal;
}

// What the printer was told and what the interface library handed over
// stays true for the rest of the job.
void CarryJobState(PDEV* oldPdev, PDEV* newPdev) {
  Gl2StateCarry(newPdev, oldPdev);
  PclStateCarry(newPdev, oldPdev);
  EscapeStoresCarry(newPdev, oldPdev);
  newPdev->copyCount = oldPdev->copyCount;
  newPdev->gl2InputWindow = oldPdev->gl2InputWindow;
  std::memcpy(newPdev->storedJobName, oldPdev->storedJobName, sizeof(newPdev->storedJobName));
  std::memcpy(newPdev->jobHeaderBlock, oldPdev->jobHeaderBlock, sizeof(newPdev->jobHeaderBlock));
  newPdev->jobHeaderBlockSize = oldPdev->jobHeaderBlockSize;
  newPdev->osVersion = oldPdev->osVersion;
  PageState& to = newPdev->page;
  const PageState& from = oldPdev->page;
  to.jobId = from.jobId;
  to.cachedSource = from.cachedSource;
  to.cachedMedia = from.cachedMedia;
  to.cachedDirection = from.cachedDirection;
  to.rotationGl2 = from.rotationGl2;
  to.rotationText = from.rotationText;
  newPdev->layout.pageIndex = oldPdev->layout.pageIndex;
}

bool SameSheetSetup(const PDEV* a, const PDEV* b) {
  const DEVMODEW& x = a->devmode.dm;
  const DEVMODEW& y = b->devmode.dm;
  return x.dmPaperSize == y.dmPaperSize && x.dmPrintQuality == y.dmPrintQuality &&
         x.dmDefaultSource == y.dmDefaultSource && a->layout.nupColumns == b->layout.nupColumns &&
         a->layout.nupRows == b->layout.nupRows && a->rasterMode == b->rasterMode;
}

// A raster sheet that collects several pages either moves on to the new PDEV
// (same paper and grid) or is sent before the job moves.
BOOL CarrySheet(PDEV* oldPdev, PDEV* newPdev) {
  if (!oldPdev->rasterMode || !oldPdev->layout.nupFlags) return TRUE;
  bool turned = oldPdev->devmode.dm.dmOrientation != newPdev->devmode.dm.dmOrientation;
  BandState& nb = newPdev->bandState;
  if (oldPdev->layout.pageInSheet == 0) {
    if (turned) nb.sheetTurn = nb.turnClockwise = FALSE;
    return TRUE;
  }
  if (newPdev->rasterMode && newPdev->layout.nupFlags && SameSheetSetup(oldPdev, newPdev)) {
    HandOverSheet(oldPdev, newPdev);
    newPdev->layout.pageInSheet = oldPdev->layout.pageInSheet;
    nb.sheetTurn = oldPdev->bandState.sheetTurn;
    nb.turnClockwise = oldPdev->bandState.turnClockwise;
    if (turned) {
      nb.sheetTurn = !nb.sheetTurn;
      nb.turnClockwise = oldPdev->devmode.dm.dmOrientation == DMORIENT_LANDSCAPE;
    }
    return TRUE;
  }
  BOOL ok = SendCollectedSheet(oldPdev);
  oldPdev->pageCount++;
  oldPdev->layout.pageInSheet = 0;
  return ok;
}

void HandOverBandMemory(PDEV* oldPdev, PDEV* newPdev) {
  FreeBandMemory(&newPdev->band);
  newPdev->band.bits = oldPdev->band.bits;
  newPdev->band.bytes = oldPdev->band.bytes;
  newPdev->band.size = oldPdev->band.size;
  newPdev->band.count = oldPdev->band.count;
  oldPdev->flags |= PDEV_BAND_MEMORY_HANDED_OVER;
  // The receiver owns the memory from now on; the flag stays with the giver
  // only, so that exactly one of them frees it.
  newPdev->bandReceived = TRUE;
}

BOOL ImplResetPDEV(DHPDEV dhpdevOld, DHPDEV dhpdevNew) {
  auto* oldPdev = reinterpret_cast<PDEV*>(dhpdevOld);
  auto* newPdev = reinterpret_cast<PDEV*>(dhpdevNew);
  if (!PdevIsValid(oldPdev) || !PdevIsValid(newPdev) || oldPdev == newPdev) return FALSE;
  if (!(oldPdev->flags & PDEV_DOC_STARTED)) return TRUE;
  CarryJob(oldPdev, newPdev);
  if (!CarrySheet(oldPdev, newPdev)) return FALSE;
  if (!SpoolFlush(oldPdev)) return FALSE;
  CarryBuffers(oldPdev, newPdev);
  CarryJobState(oldPdev, newPdev);
  FreeDocumentBuffers(oldPdev);
  SpoolFreeBuffers(oldPdev);
  newPdev->flags |= PDEV_CONTINUES_JOB | CarriedFlags(oldPdev, newPdev);
  return TRUE;
}
