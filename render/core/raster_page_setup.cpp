// The set-up of a raster page, written by the band code just before the
// page's first raster row.
#include "render/core/raster_page_setup.h"

#include "render/core/escape_writer.h"
#include "render/core/format_string.h"
#include "render/core/page_commands.h"
#include "render/core/pdev.h"
#include "render/core/pjl_header.h"
#include "render/core/print_direction.h"
#include "render/vector/gl2_context.h"

namespace {

void Escape(PDEV* p, const char* prefix, char terminator, long value, BOOL final) {
  char buf[32];
  FormatString(buf, sizeof(buf), "%l", value);
  WriteEscape(p, prefix, terminator, buf, final);
}

// The combined page-size sequence: size, duplex, 6 lines per inch, top
// margin 1 line, text length. One group, closed by the last.
void PageSizeSequence(PDEV* p) {
  Escape(p, "\x1b&l", 'a', PageSizeValue(p), FALSE);
  Escape(p, "\x1b&l", 's', JobDuplexValue(p), FALSE);
  WriteEscape(p, "\x1b&l", 'd', "6", FALSE);
  WriteEscape(p, "\x1b&l", 'e', "1", FALSE);
  Escape(p, "\x1b&l", 'f', PageTextLength(p), TRUE);
}

// The printer already holds paper, source and duplex: only what changed.
void ChangedPaperOnly(PDEV* p) {
  if (!(p->flags & PDEV_PAPER_CHANGED) || p->pageCount == 0) return;
  bool duplexToo = p->pageCount >= 2;
  Escape(p, "\x1b&l", 'a', PageSizeValue(p), !duplexToo);
  if (duplexToo) Escape(p, "\x1b&l", 's', ManualDuplexInEffect(p) ? 0 : JobDuplexValue(p), TRUE);
}

}  // namespace

BOOL WriteRasterPageSetup(PDEV* p) {
  bool notified = WriteManualDuplexNotice(p, TRUE);
  if (!notified && !(p->flags & PDEV_FIRST_PAGE)) {
    bool changed = (p->flags & PDEV_RESOLUTION_FALLBACK) ||
                   ((p->flags & PDEV_RESOLUTION_CHANGED) && p->pcl.newSheet);
    if (changed) WriteResolutionChange(p);
    p->flags &= ~DWORD(PDEV_RESOLUTION_CHANGED);
    p->pcl.newSheet = FALSE;
  }
  SetGL2Context(p, FALSE);
  if ((p->flags & PDEV_PRINTER_HAS_SETUP) && !ManualDuplexInEffect(p)) {
    ChangedPaperOnly(p);
  } else {
    WritePageSource(p, TRUE);
    WritePageMedia(p);
    PageSizeSequence(p);
    p->flags |= PDEV_PRINTER_HAS_SETUP;
  }
  int direction = PrintDirection(p, p->pageCount + 1);
  p->page.cachedDirection = direction;
  WriteEnvelopeOffset(p, direction);
  WriteRasterUnitAndResolution(p);
  WriteDuplexSide(p);
  p->flags &= ~DWORD(PDEV_PAPER_CHANGED | PDEV_FIRST_PAGE);
  return (p->flags & PDEV_WRITE_ERROR) ? FALSE : TRUE;
}
