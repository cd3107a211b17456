// Collected sheets: N-up and booklet pages of raster graphics mode are each
// rendered like a page of their own and copied into their cell of one sheet,
// which is sent when it is full or the document ends.
#include <algorithm>
#include <cstring>

#include "render/core/check_abort.h"
#include "render/core/raster_page.h"
#include "render/core/raster_page_internal.h"
#include "render/core/row_source.h"
#include "render/vector/nup_page.h"

namespace {

SIZEL SheetSize(const PDEV* pdev) {
  if (pdev->layout.pageWidth > 0 && pdev->layout.pageHeight > 0)
    return SIZEL{pdev->layout.pageWidth, pdev->layout.pageHeight};
  return pdev->pageSize;
}

BOOL EnsureSheet(PDEV* pdev) {
  BandState& b = Band(pdev);
  if (b.sheet) return TRUE;
  b.sheetSize = SheetSize(pdev);
  b.sheetStride = ((b.sheetSize.cx + 7) / 8 + 3) & ~LONG(3);
  size_t bytes = size_t(b.sheetStride) * size_t(std::max<LONG>(b.sheetSize.cy, 1));
  b.sheet = static_cast<BYTE*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes));
  if (!b.sheet) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return b.sheet != nullptr;
}

// Copies the page into the cell at `cell`: rows as they are, or each page
// column becoming a cell row when the sheet turn flag is set.
void CopyIntoCell(PDEV* pdev, const RasterSource& page, POINTL cell) {
  BandState& b = Band(pdev);
  RasterSource src = page;
  DWORD walk = 0;
  if (b.sheetTurn) {
    src.rotated = TRUE;
    // Clockwise: page column r read from the bottom up; counter-clockwise:
    // column W-1-r read from the top down.
    walk = b.turnClockwise ? 0 : (WALK_UP | WALK_RIGHT_TO_LEFT);
  }
  LONG rows = PrintedRows(src), pixels = PrintedWidth(src);
  LONG firstByte = cell.x / 8;
  if (firstByte >= b.sheetStride || cell.y >= b.sheetSize.cy) return;
  LONG maxBytes = b.sheetStride - firstByte;
  DWORD cellBytes = DWORD(std::min<LONG>((pixels + 7) / 8, maxBytes));
  LONG first, last;
  PrintedRowsHeld(src, walk, &first, &last);
  BYTE* tmp = b.groups[1];
  DWORD tmpStride = b.rowCapacity;
  if (!tmp || cellBytes > tmpStride) return;
  for (LONG r = std::max<LONG>(first, 0); r < std::min(last, rows); r += 8) {
    DWORD count = DWORD(std::min<LONG>(8, std::min(last, rows) - r));
    std::memset(tmp, 0, size_t(tmpStride) * 8);
    ReadPrintedRows(src, walk, r, count, 0, std::min<LONG>(pixels, LONG(cellBytes) * 8), tmp, tmpStride, 0);
    for (DWORD k = 0; k < count; ++k) {
      LONG y = cell.y + r + LONG(k);
      if (y < 0 || y >= b.sheetSize.cy) continue;
      BYTE* dst = b.sheet + size_t(y) * size_t(b.sheetStride) + size_t(firstByte);
      const BYTE* s = tmp + size_t(k) * tmpStride;
      for (DWORD i = 0; i < cellBytes; ++i) dst[i] |= s[i];
    }
  }
}

void SheetLine(BandState& b, LONG x0, LONG y0, LONG x1, LONG y1) {
  x0 = std::max<LONG>(x0, 0);
  y0 = std::max<LONG>(y0, 0);
  x1 = std::min(x1, b.sheetSize.cx);
  y1 = std::min(y1, b.sheetSize.cy);
  for (LONG y = y0; y < y1; ++y)
    for (LONG x = x0; x < x1; ++x) b.sheet[size_t(y) * size_t(b.sheetStride) + size_t(x / 8)] |= BYTE(0x80 >> (x % 8));
}

// N-up page frames: the outer frame and the lines between cells, 1 pixel wide
// below 1200 dpi, 2 at 1200 dpi and 4 in the 600 × 2400 mode.
void DrawSheetFrames(PDEV* pdev) {
  BandState& b = Band(pdev);
  LONG cols = LONG(pdev->devmode.priv.dwNupColumns), rows = LONG(pdev->devmode.priv.dwNupRows);
  if (!pdev->devmode.priv.dwPageBorder || cols < 1 || rows < 1 || cols * rows < 2) return;
  DWORD res = pdev->devmode.dm.dmYResolution;
  LONG width = res < 1200 ? 1 : (pdev->subMode & SUBMODE_600X2400) ? 4 : 2;
  POINTL base = pdev->layout.baseOffset;
  SIZEL cell = pdev->layout.nupCell;
  if (cell.cx <= 0 || cell.cy <= 0) cell = SIZEL{(b.sheetSize.cx - base.x) / cols, (b.sheetSize.cy - base.y) / rows};
  LONG right = base.x + cols * cell.cx, bottom = base.y + rows * cell.cy;
  for (LONG i = 0; i <= cols; ++i) {
    LONG x = std::min(base.x + i * cell.cx, right - width);
    SheetLine(b, x, base.y, x + width, bottom);
  }
  for (LONG j = 0; j <= rows; ++j) {
    LONG y = std::min(base.y + j * cell.cy, bottom - width);
    SheetLine(b, base.x, y, right, y + width);
  }
}

}  // namespace

BOOL CollectSheetPage(PDEV* pdev) {
  if (!PdevIsValid(pdev) || !pdev->band.bits) return FALSE;
  if (!EnsureSheet(pdev)) return FALSE;
  PlaceNupPage(pdev, 1);
  POINTL cell = pdev->pcl.pageOffset;
  CopyIntoCell(pdev, BandBitmapSource(pdev, POINTL{0, 0}), cell);
  std::memset(pdev->band.bits, 0, pdev->band.bytes);
  ++Band(pdev).sheetPages;
  return TRUE;
}

BOOL SendCollectedSheet(PDEV* pdev) {
  if (!PdevIsValid(pdev)) return FALSE;
  BandState& b = Band(pdev);
  if (b.sheetPages == 0 || !b.sheet) return TRUE;
  if (!CheckAbort(pdev, pdev->band.locked)) return FALSE;
  DrawSheetFrames(pdev);
  RasterSource src{};
  src.bits = b.sheet;
  src.stride = b.sheetStride;
  src.page = b.sheetSize;
  src.rect = RECTL{0, 0, b.sheetSize.cx, b.sheetSize.cy};
  src.rotated = FALSE;
  BOOL ok = TransmitHeldPage(pdev, src);
  std::memset(b.sheet, 0, size_t(b.sheetStride) * size_t(std::max<LONG>(b.sheetSize.cy, 1)));
  b.sheetPages = 0;
  return ok;
}

DWORD CollectedPages(const PDEV* pdev) { return pdev->bandState.sheetPages; }

void HandOverSheet(PDEV* from, PDEV* to) {
  BandState& a = Band(from);
  BandState& b = Band(to);
  if (b.sheet) HeapFree(GetProcessHeap(), 0, b.sheet);
  b.sheet = a.sheet;
  b.sheetSize = a.sheetSize;
  b.sheetStride = a.sheetStride;
  b.sheetPages = a.sheetPages;
  a.sheet = nullptr;
  a.sheetPages = 0;
}
