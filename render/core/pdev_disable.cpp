// DrvDisablePDEV and the release of a PDEV.
#include "render/core/band_bitmap.h"
#include "render/core/hook_impl.h"
#include "render/core/pdev_lifecycle.h"
#include "render/core/pdev_seams.h"
#include "render/core/spool_stream.h"
#include "render/text/escape_stores.h"

namespace {
void FreeHeap(void* p) {
  if (p) HeapFree(GetProcessHeap(), 0, p);
}
}  // namespace

void ReleasePdev(PDEV* pdev) {
  ReleaseFontData(pdev);
  ReleaseHalftone(pdev);
  if (pdev->resourceModule) FreeLibrary(pdev->resourceModule);
  if (pdev->palette) EngDeletePalette(pdev->palette);
  SpoolFreeBuffers(pdev);
  FreeHeap(pdev->fontTables);
  FreeHeap(pdev->jobName);
  FreeHeap(pdev->jobData);
  FreeHeap(pdev->workBlock);
  EscapeStoresRelease(pdev);
  if (!(pdev->flags & PDEV_BAND_MEMORY_HANDED_OVER)) FreeBandMemory(&pdev->band);
  pdev->signature1 = pdev->signature2 = 0;
  HeapFree(GetProcessHeap(), 0, pdev);
}

VOID ImplDisablePDEV(DHPDEV dhpdev) {
  auto* pdev = reinterpret_cast<PDEV*>(dhpdev);
  if (PdevIsValid(pdev)) ReleasePdev(pdev);
}
