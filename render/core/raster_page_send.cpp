// Band transmission: printed rows from the rendered page, reduced for a
// fall-back, encoded with the page's method and written as PCL raster.
#include <algorithm>
#include <cstring>

#include "render/core/check_abort.h"
#include "render/core/format_string.h"
#include "render/core/pjl_header.h"
#include "render/core/poster_tiles.h"
#include "render/core/raster_page.h"
#include "render/core/raster_page_internal.h"
#include "render/core/raster_page_setup.h"
#include "render/core/row_layout.h"
#include "render/core/row_reduce.h"
#include "render/core/row_source.h"
#include "render/core/spool_stream.h"
#include "render/imaging/predictive_row_input.h"
#include "render/vector/gl2_context.h"

namespace {

BOOL Out(PDEV* pdev, const void* bytes, DWORD count) {
  DWORD written = 0;
  if (count == 0) return TRUE;
  if (SpoolWrite(pdev, bytes, INT(count), &written)) return TRUE;
  Band(pdev).outputFailed = TRUE;
  return FALSE;
}

BOOL OutText(PDEV* pdev, const char* format, DWORD a = 0, DWORD b = 0) {
  char text[kCommandBufferSize];
  int n = FormatString(text, sizeof text, format, a, b);
  return Out(pdev, text, DWORD(n));
}

// Frames a finished block (or row) with its transfer command.
BOOL SendBlock(void* context, RasterBlockKind kind, const BYTE* block, DWORD count) {
  auto* pdev = static_cast<PDEV*>(context);
  switch (kind) {
    case kRasterBlockAdaptive:
      if (!OutText(pdev, "\x1B*b5M\x1B*b%uW", count)) return FALSE;
      break;
    case kRasterRowSkip:
      return OutText(pdev, "\x1B*b%uY", count);
    default:
      if (!OutText(pdev, "\x1B*b%uW", count)) return FALSE;
      break;
  }
  return Out(pdev, block, count);
}

DWORD WorkingResolution(const PDEV* pdev) { return DWORD(pdev->devmode.dm.dmYResolution); }

// The 1200 dpi modes that print 600 dots across halve every row.
bool HalvesAcross(const PDEV* pdev) {
  if (pdev->bandState.divisor != 1 || pdev->resolution != 1200) return false;
  return !(WorkingResolution(pdev) == 1200 && (pdev->subMode & SUBMODE_TRUE1200));
}

DWORD MethodOf(const PDEV* pdev) {
  if (pdev->directRasterRows != 0) return 131;
  switch (pdev->bandState.encoderSelector) {
    case 2: return 2;
    case 3: return 3;
    default: return 5;
  }
}

// Row length after the reduction of the current page.
DWORD ReducedLength(const PDEV* pdev, DWORD length) {
  if (HalvesAcross(pdev)) length = (length + 1) / 2;
  for (DWORD d = pdev->bandState.divisor; d > 1; d /= 2) length = (length + 1) / 2;
  return length;
}

// The printed rows and pixels this page sends: the whole page, or one poster tile.
struct Window {
  LONG firstRow, rows, firstPixel, pixels;
};

Window PageWindow(PDEV* pdev, const RasterSource& page) {
  Window w{0, PrintedRows(page), 0, PrintedWidth(page)};
  PosterTile tile;
  if (CurrentPosterTile(pdev, page.rotated, &tile)) {
    w.firstRow = std::min(tile.firstRow, w.rows);
    w.rows = std::min(tile.lastRow, w.rows) - w.firstRow;
    w.firstPixel = tile.firstByte * 8;
    w.pixels = std::min(LONG(tile.lastByte - tile.firstByte) * 8, PrintedWidth(page) - w.firstPixel);
    if (w.pixels < 0) w.pixels = 0;
  }
  return w;
}

BOOL StartEncoder(PDEV* pdev) {
  BandState& b = Band(pdev);
  RasterSink sink{SendBlock, pdev};
  DWORD length = ReducedLength(pdev, b.row.stride);
  BOOL invert = (WalkBits(pdev) & WALK_INVERT) != 0;
  switch (b.method) {
    case 131: {
      PredictiveRasterInit(&b.predictive, b.block, b.blockSize, b.previousRow, b.previousSize, sink);
      DWORD coded = PredictiveRowLength(length, WorkingResolution(pdev) == 300);
      return PredictiveRasterStartPage(&b.predictive, coded, pdev->directRasterRows);
    }
    case 2:
    case 3:
      PlainRasterInit(&b.plain, b.previousRow, b.previousSize, b.work[0], b.workSize, sink);
      return PlainRasterStartPage(&b.plain, b.method, length, invert);
    default: {
      AdaptiveBuffers buffers{b.block, b.blockSize, b.previousRow, b.previousSize, {b.work[0], b.work[1]}, b.workSize};
      AdaptiveRasterInit(&b.adaptive, &buffers, sink);
      return AdaptiveRasterStartPage(&b.adaptive, length, invert);
    }
  }
}

// "\e*b131M\e*r" width "s" rows "t32768A", or the cursor and "\e*r1A".
BOOL WriteRasterStart(PDEV* pdev) {
  BandState& b = Band(pdev);
  if (b.method == 131) {
    DWORD coded = PredictiveRowLength(ReducedLength(pdev, b.row.stride), WorkingResolution(pdev) == 300);
    return OutText(pdev, "\x1B*b131M\x1B*r%us%ut32768A", PredictiveRasterWidth(coded), pdev->directRasterRows);
  }
  bool half = WorkingResolution(pdev) == 1200 && !(pdev->subMode & SUBMODE_TRUE1200);
  LONG x = half ? b.rasterOrigin.x / 2 : b.rasterOrigin.x;
  LONG y = half ? b.rasterOrigin.y / 2 : b.rasterOrigin.y;
  if (!OutText(pdev, "\x1B*p%ux%uY\x1B*r1A", DWORD(x), DWORD(y))) return FALSE;
  if (b.method == 2 || b.method == 3) return OutText(pdev, "\x1B*b%uM", b.method);
  return TRUE;
}

// DirectRaster: the page's top margin in rows (negative: rows cut off).
LONG TopMarginRows(PDEV* pdev) {
  DWORD res = WorkingResolution(pdev);
  DWORD offsetY = DWORD(std::max<LONG>(pdev->page.offsetY, 0));
  LONG rows = LONG(res * (pdev->devmode.priv.wPrintMargin == 1 ? 25 : 0) / 300) + LONG(offsetY * res / 254) +
              pdev->bandState.pageOffset.y;
  if ((res == 1200 && (pdev->subMode & SUBMODE_600X2400)) || res == 300) rows *= 2;
  return rows;
}

BOOL EncodeRow(PDEV* pdev, BYTE* row, DWORD length) {
  BandState& b = Band(pdev);
  if (b.method == 131) {
    DWORD res = WorkingResolution(pdev);
    DWORD factor = b.row.stride / std::max<DWORD>(length, 1);
    DWORD offsetX = DWORD(std::max<LONG>(pdev->page.offsetX, 0));
    DWORD rowDpi = res / std::max<DWORD>(factor, 1);
    PredictiveRowLayout layout{b.row.leftMarginBytes / std::max<DWORD>(factor, 1),
                               DWORD(offsetX * rowDpi / 254 + std::max<LONG>(b.pageOffset.x % 8, 0)),
                               (WalkBits(pdev) & WALK_INVERT) != 0, res == 300};
    const BYTE* coded = row;  // the row as it is, unless it has to move, invert or widen
    if (layout.shiftPixels || layout.invert || layout.doublePixels) {
      if (!PreparePredictiveRow(row, length, &layout, b.coderRow, b.coderRowSize)) return FALSE;
      coded = b.coderRow;
    }
    if (!PredictiveRow(&b.predictive, coded)) return FALSE;
    return res == 300 ? PredictiveRow(&b.predictive, coded) : TRUE;
  }
  if (b.method == 2 || b.method == 3) return PlainRasterRow(&b.plain, row);
  return AdaptiveRasterRow(&b.adaptive, row);
}

// Reduces the `rows` rows of the group buffer and encodes them.
BOOL SendGroup(PDEV* pdev, DWORD rows) {
  BandState& b = Band(pdev);
  DWORD stride = b.row.stride;
  BYTE* g = b.groups[0];
  DWORD length = stride;
  if (HalvesAcross(pdev)) {
    if (pdev->page.fallDownType) {
      for (DWORD k = 0; k + 1 < rows; k += 2) HalveRowPairSmoothed(g + k * stride, g + (k + 1) * stride, length);
      if (rows % 2) HalveRowOr(g + (rows - 1) * stride, length, g + (rows - 1) * stride);
    } else {
      for (DWORD k = 0; k < rows; ++k) HalveRowOr(g + k * stride, length, g + k * stride);
    }
    length = (length + 1) / 2;
  }
  for (DWORD d = b.divisor; d > 1; d /= 2) {
    DWORD outRows = (rows + 1) / 2;
    for (DWORD k = 0; k < outRows; ++k) {
      const BYTE* lower = 2 * k + 1 < rows ? g + (2 * k + 1) * stride : g + 2 * k * stride;
      if (2 * k + 1 >= rows) {
        // A last row without a partner pairs with white.
        std::memset(b.workRow, 0, stride);
        lower = b.workRow;
      }
      HalveRowPair2x2(g + 2 * k * stride, lower, length, g + k * stride);
    }
    rows = outRows;
    length = (length + 1) / 2;
  }
  DWORD step = b.fallbackKind == 4 ? 4 : 1;
  for (DWORD k = 0; k < rows; k += step) {
    if (!EncodeRow(pdev, g + k * stride, length)) return FALSE;
  }
  return TRUE;
}

}  // namespace

SIZEL RenderedPage(const PDEV* pdev) {
  SIZEL page = pdev->pageSize;
  if (pdev->devmode.dm.dmYResolution == 1200 && (pdev->subMode & SUBMODE_600X2400)) {
    if (pdev->layout.rotated) {
      page.cx *= 2;
    } else {
      page.cy *= 2;
    }
  }
  return page;
}

RasterSource BandBitmapSource(PDEV* pdev, POINTL origin) {
  RasterSource s{};
  s.bits = pdev->band.bits;
  s.stride = pdev->band.size.cx / 8;
  s.page = RenderedPage(pdev);
  s.rect = RECTL{origin.x, origin.y, origin.x + pdev->band.size.cx, origin.y + pdev->band.size.cy};
  s.rotated = pdev->layout.rotated;
  return s;
}

DWORD WalkBits(const PDEV* pdev) { return pdev->devmode.priv.wBandWalk & 0x7; }

void ToggleWalkDirection(PDEV* pdev) { pdev->devmode.priv.wBandWalk ^= WALK_DIRECTION_BITS; }

BOOL BeginPageRaster(PDEV* pdev, const RasterSource& page) {
  BandState& b = Band(pdev);
  b.outputFailed = FALSE;
  b.groupRows = 0;
  b.rowsFed = 0;
  b.skipRows = 0;
  b.headerThisPage = FALSE;
  Window w = PageWindow(pdev, page);
  b.windowFirstRow = w.firstRow;
  b.windowRows = w.rows;
  b.windowFirstPixel = w.firstPixel;
  b.windowPixels = w.pixels;
  RowLayout layout = ComputeRowLayout(pdev, DWORD(w.pixels), DWORD(w.rows), pdev->directRasterRows != 0);
  if (layout.stride > b.rowCapacity) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  if (!b.block) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  b.row = layout;
  if (b.fallbacks == 0) {
    b.firstTry = PageTrySnapshot{pdev->flags, pdev->page, pdev->pcl, {}, pdev->lastEscapeFinal};
    std::memcpy(b.firstTry.lastEscapePrefix, pdev->lastEscapePrefix, sizeof pdev->lastEscapePrefix);
  }
  if ((pdev->flags & PDEV_HEADER_PENDING) && pdev->pageCount == 0) {
    WriteRasterJobHeader(pdev);
    pdev->flags |= PDEV_HEADER_SENT;
    pdev->flags &= ~DWORD(PDEV_HEADER_PENDING);
    b.headerThisPage = TRUE;
  }
  b.method = MethodOf(pdev);
  if (!WriteRasterPageSetup(pdev) || !WriteRasterStart(pdev) || !StartEncoder(pdev)) return FALSE;
  b.rasterStarted = TRUE;
  if (b.method == 131) {
    LONG top = TopMarginRows(pdev);
    if (top < 0) b.skipRows = DWORD(-top);
    for (LONG i = 0; i < top; ++i) {
      if (!PredictiveRow(&b.predictive, nullptr)) return FALSE;
    }
  }
  return !b.outputFailed;
}

BOOL SendSourceRows(PDEV* pdev, const RasterSource& src) {
  BandState& b = Band(pdev);
  LONG first, last;
  PrintedRowsHeld(src, WalkBits(pdev), &first, &last);
  first = std::max(first, LONG(b.windowFirstRow + b.rowsFed));
  last = std::min(last, LONG(b.windowFirstRow + b.windowRows));
  DWORD stride = b.row.stride;
  DWORD at = b.row.leftMarginBytes;
  for (LONG r = first; r < last;) {
    DWORD room = 8 - b.groupRows;
    DWORD count = DWORD(std::min<LONG>(room, last - r));
    BYTE* rows = b.groups[0] + size_t(b.groupRows) * stride;
    for (DWORD k = 0; k < count; ++k) std::memset(rows + k * stride, 0, stride);
    ReadPrintedRows(src, WalkBits(pdev), r, count, b.windowFirstPixel, b.windowPixels, rows, stride, at);
    r += LONG(count);
    b.rowsFed += count;
    b.groupRows += count;
    if (b.skipRows) {
      // Rows cut off by a negative top margin.
      DWORD cut = std::min(b.skipRows, b.groupRows);
      std::memmove(b.groups[0], b.groups[0] + size_t(cut) * stride, size_t(b.groupRows - cut) * stride);
      b.groupRows -= cut;
      b.skipRows -= cut;
    }
    if (b.groupRows == 8) {
      if (!SendGroup(pdev, 8)) return FALSE;
      b.groupRows = 0;
    }
  }
  return !b.outputFailed;
}

BOOL EndRasterPage(PDEV* pdev) {
  BandState& b = Band(pdev);
  BOOL ok = TRUE;
  if (b.groupRows != 0) ok = SendGroup(pdev, b.groupRows);
  b.groupRows = 0;
  b.rasterStarted = FALSE;
  if (b.method == 131) {
    ok = ok && PredictiveRasterEndPage(&b.predictive);
    ok = ok && OutText(pdev, "\x1B*r32768C");
  } else {
    ok = ok && (b.method == 5 ? AdaptiveRasterEndPage(&b.adaptive) : PlainRasterEndPage(&b.plain));
    ok = ok && OutText(pdev, "\x1B*rC\x1B*v0O");
    SetGL2Context(pdev, FALSE);
    ok = ok && Out(pdev, "\x0C", 1);
  }
  return ok && !b.outputFailed;
}
