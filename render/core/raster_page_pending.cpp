// Placeholder until raster transmission exists: pages carry no raster rows;
// each ends as an empty raster page.
#include "render/core/check_abort.h"
#include "render/core/escape_writer.h"
#include "render/core/pdev.h"
#include "render/core/pjl_header.h"
#include "render/core/raster_page.h"
#include "render/core/raster_page_setup.h"
#include "render/core/spool_stream.h"

BOOL AllocDocumentBuffers(PDEV* pdev) { return SpoolAllocBlock(pdev); }
void FreeDocumentBuffers(PDEV*) {}

BOOL SendRasterPage(PDEV* pdev) {
  if (!CheckAbort(pdev, nullptr)) return FALSE;
  if ((pdev->flags & PDEV_HEADER_PENDING) && pdev->pageCount == 0) {
    WriteRasterJobHeader(pdev);
    pdev->flags = (pdev->flags | PDEV_HEADER_SENT) & ~DWORD(PDEV_HEADER_PENDING);
  }
  WriteRasterPageSetup(pdev);
  WriteEscapeString(pdev, "\x1b*r1A", nullptr, nullptr);
  WriteEscapeString(pdev, "\x1b*rC\x1b*v0O\f", nullptr, nullptr);
  return (pdev->flags & PDEV_WRITE_ERROR) ? FALSE : TRUE;
}

BOOL CollectSheetPage(PDEV*) { return TRUE; }
BOOL SendCollectedSheet(PDEV* pdev) { return SendRasterPage(pdev); }
void ToggleWalkDirection(PDEV* pdev) { pdev->devmode.priv.wBandWalk ^= 0x3; }
BOOL DrawRegistrationCrosses(PDEV*) { return TRUE; }
