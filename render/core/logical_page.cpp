#include "render/core/logical_page.h"

#include <algorithm>

#include "render/core/units.h"

namespace {

constexpr WORD kDriverScales = 0x1;  // wDetailFlags: the engine draws on the whole page

LONG Round8(LONG v, BOOL raster) { return raster ? RoundDownTo(v, 8) : v; }

// Device mode without N-up: the paper's proportions inside the printable area.
SIZEL ProportionalPage(const PageLayout& l) {
  SIZEL area{l.pageWidth, l.pageHeight};
  SIZEL page = FitLogicalPage(area, l.outputPaper.widthDots, l.outputPaper.lengthDots, FALSE);
  return SIZEL{std::min(page.cx, area.cx), std::min(page.cy, area.cy)};
}

// Raster poster: the paper scaled by the whole percentage of the poster.
SIZEL ScaledPosterPage(const PageLayout& l, DWORD dpi) {
  LONG w = DotsToPixels(l.outputPaper.widthDots, dpi), h = DotsToPixels(l.outputPaper.lengthDots, dpi);
  if (w <= 0 || h <= 0) return l.posterLogical;
  int64_t pct = std::min(int64_t(l.posterLogical.cx) * 100 / w, int64_t(l.posterLogical.cy) * 100 / h);
  return SIZEL{RoundDownTo(LONG(w * pct / 100), 8), RoundDownTo(LONG(h * pct / 100), 8)};
}

}  // namespace

SIZEL NupCellOf(LONG printWidth, LONG printHeight, DWORD columns, DWORD rows, BOOL rotated, BOOL raster) {
  LONG c = LONG(std::max<DWORD>(columns, 1)), r = LONG(std::max<DWORD>(rows, 1));
  SIZEL cell = rotated ? SIZEL{printHeight / r, printWidth / c} : SIZEL{printWidth / c, printHeight / r};
  return SIZEL{Round8(cell.cx, raster), Round8(cell.cy, raster)};
}

SIZEL FitLogicalPage(SIZEL cell, LONG width, LONG length, BOOL raster) {
  if (width <= 0 || length <= 0) return cell;
  LONG w = cell.cx, h = cell.cy;
  if (int64_t(h) * 100 / length >= int64_t(w) * 100 / width)
    return SIZEL{w, Round8(LONG(int64_t(length) * w / width), raster)};
  return SIZEL{Round8(LONG(int64_t(width) * h / length), raster), h};
}

DWORD LayoutScaleFactor(SIZEL logical, SIZEL engine) {
  int64_t x = int64_t(logical.cx) * 1000 / std::max<LONG>(engine.cx, 1);
  int64_t y = int64_t(logical.cy) * 1000 / std::max<LONG>(engine.cy, 1);
  return DWORD(std::max<int64_t>(1, std::min(x, y)));
}

void ComputeLogicalPage(PDEV* pdev) {
  PageLayout& l = pdev->layout;
  const kadu::DriverDevmode& dm = pdev->devmode;
  DWORD dpi = dm.dm.dmYResolution;
  BOOL raster = pdev->rasterMode;
  const kadu::PaperRecord& out = l.outputPaper;  // already turned for a rotated page
  if (l.nupFlags) {
    // Cells divide the printable area as rendered (a turned sheet has its own
    // margins), so that they are the cells the N-up placement fills.
    bool turned = l.rotated != FALSE;
    LONG across = DotsToPixels(out.portrait[kadu::kPrintableWidth], dpi);
    LONG down = DotsToPixels(out.portrait[kadu::kPrintableLength], dpi);
    l.nupCell = turned ? NupCellOf(down, across, l.nupColumns, l.nupRows, TRUE, raster)
                       : NupCellOf(across, down, l.nupColumns, l.nupRows, FALSE, raster);
    bool landscapeDoc = dm.dm.dmOrientation == DMORIENT_LANDSCAPE && (dm.dm.dmFields & DM_ORIENTATION);
    const uint16_t* doc = (landscapeDoc != turned) ? out.landscape : out.portrait;
    l.logicalPage = FitLogicalPage(l.nupCell, doc[kadu::kPrintableWidth], doc[kadu::kPrintableLength], raster);
  } else if (l.posterColumns) {
    l.nupCell = SIZEL{l.pageWidth, l.pageHeight};
    l.logicalPage = raster ? ScaledPosterPage(l, dpi) : l.posterLogical;
  } else {
    l.nupCell = SIZEL{l.pageWidth, l.pageHeight};
    l.logicalPage = raster ? SIZEL{l.pageWidth, l.pageHeight} : ProportionalPage(l);
  }
  bool driverScales = (dm.priv.wDetailFlags & kDriverScales) != 0;
  l.enginePage = driverScales ? SIZEL{l.pageWidth, l.pageHeight} : l.logicalPage;
  if (driverScales) pdev->scaleFactor = LayoutScaleFactor(l.logicalPage, l.enginePage);
}
