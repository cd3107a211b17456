// DrvStartDoc and DrvEndDoc: the document's buffers, its name, and the job
// trailer when a header went out.
#include <cstring>

#include "render/core/device_page.h"
#include "render/core/escape_writer.h"
#include "render/core/hook_impl.h"
#include "render/core/page_hooks.h"
#include "render/core/pdev.h"
#include "render/core/pjl_header.h"
#include "render/core/pjl_trailer.h"
#include "render/core/print_direction.h"
#include "render/core/raster_page.h"
#include "render/core/spool_stream.h"

namespace {

WCHAR* CopyName(const WCHAR* name) {
  size_t n = 0;
  if (name)
    while (name[n]) ++n;
  auto* copy = static_cast<WCHAR*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, (n + 1) * sizeof(WCHAR)));
  if (copy && n) std::memcpy(copy, name, n * sizeof(WCHAR));
  return copy;
}

void FreeName(PDEV* p) {
  if (p->jobName) HeapFree(GetProcessHeap(), 0, p->jobName);
  p->jobName = nullptr;
}

bool SheetHalfCollected(const PDEV* p) { return p->layout.nupFlags && p->layout.pageInSheet > 0; }

void StartNewJob(PDEV* p, LPWSTR name, DWORD jobId) {
  p->pageCount = 0;
  p->layout.pageInSheet = 0;
  p->layout.pageIndex = 0;
  p->page.cachedSource = -1;
  p->page.cachedMedia = -1;
  p->page.cachedDirection = -1;
  ResetEscapeCombining(p);
  FreeName(p);
  p->jobName = CopyName(name);
  if (!p->page.jobId) p->page.jobId = jobId;
}

}  // namespace

BOOL ImplStartDoc(SURFOBJ* pso, LPWSTR pwszDocName, DWORD dwJobId) {
  PDEV* p = PdevFromSurface(pso);
  if (!p) return FALSE;
  if (PageHookSkips(p, pso)) return TRUE;
  p->flags |= PDEV_DOC_STARTED;
  bool continues = (p->flags & PDEV_CONTINUES_JOB) != 0;
  if (!continues) {
    StartNewJob(p, pwszDocName, dwJobId);
    if (!p->jobName) return FALSE;
  }
  if (!AllocDocumentBuffers(p)) {
    FreeDocumentBuffers(p);
    FreeName(p);
    return FALSE;
  }
  if (p->rasterMode) {
    p->flags |= PDEV_FIRST_PAGE;
    if (!continues) p->flags |= PDEV_HEADER_PENDING;
    if (continues && !SheetHalfCollected(p)) p->pcl.newSheet = TRUE;
    return TRUE;
  }
  if (continues) {
    p->pcl.newSheet = TRUE;
    // Only a job whose header went out can be continued on the printer.
    if (p->flags & PDEV_HEADER_SENT) WriteContinuationHeader(p);
  } else {
    LONG turn = p->layout.rotated ? 90 : 0;
    p->page.rotationGl2 = (p->page.rotationGl2 + turn) % 360;
    p->page.rotationText = (p->page.rotationText + turn) % 360;
  }
  return TRUE;
}

BOOL ImplEndDoc(SURFOBJ* pso, FLONG) {
  PDEV* p = PdevFromSurface(pso);
  if (!p) return FALSE;
  if (PageHookSkips(p, pso)) return TRUE;
  BOOL ok = TRUE;
  if (SheetHalfCollected(p)) ok = FinishCollectedSheet(p, pso);
  if (p->flags & PDEV_HEADER_SENT) {
    if (!WriteJobTrailer(p, !p->rasterMode) || !SpoolFlush(p)) ok = FALSE;
  }
  FreeName(p);
  FreeDocumentBuffers(p);
  p->flags &= ~DWORD(PDEV_DOC_STARTED | PDEV_HEADER_SENT | PDEV_CONTINUES_JOB | PDEV_PAGE_OPEN);
  if (p->flags & PDEV_WRITE_ERROR) ok = FALSE;
  return ok;
}
