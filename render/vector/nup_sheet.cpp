// The end of a sheet: the frame around the cells and the lines between them,
// drawn in HP-GL/2 over the whole sheet, then the form feed.
#include "render/core/escape_writer.h"
#include "render/core/format_string.h"
#include "render/core/gl2_writer.h"
#include "render/core/pdev.h"
#include "render/core/spool_stream.h"
#include "render/vector/gl2_commands.h"
#include "render/vector/gl2_context.h"
#include "render/vector/nup_page.h"
#include "render/vector/pcl_cursor.h"
#include "render/vector/pcl_job.h"
#include "render/vector/vector_device.h"

namespace {

// Line-attribute cache values no LA instruction can have, so that the next
// drawing call sends its own.
constexpr LONG kNeverLineEnd = 512;
constexpr LONG kNeverLineJoin = 8192;

struct SheetFrame {
  LONG w, h;    // the sheet in pixels, as rendered
  LONG cw, ch;  // one cell
  bool landscape;
  bool fourCells;
  bool thick;   // 1200 dpi without true 1200: three pixels wide
};

const char* LineTypeOf(DWORD style) {
  switch (style) {
    case 2: return "LT2,5,1;";
    case 3: return "LT2,2,1;";
    case 4: return "LT5,8,1;";
    case 5: return "LT6,10,1;";
    default: return "LT;";
  }
}

// "\e*c" X "x" Y "Y": the picture frame over the whole sheet, in decipoints.
void WriteSheetPictureFrame(PDEV* pdev, const SheetFrame& f, LONG dpi) {
  bool landscape1200 = dpi == 1200 && f.landscape;
  LONG x = landscape1200 ? f.w * 7200 / 1200 : (f.w + 1) * 7200 / dpi;
  LONG y = landscape1200 ? (f.h + 1) * 7200 / 1200 : f.h * 7200 / dpi;
  char text[16];
  FormatTenths(x, text, sizeof text);
  WriteEscape(pdev, "\x1B*c", 'x', text, FALSE);
  FormatTenths(y, text, sizeof text);
  WriteEscape(pdev, "\x1B*c", 'y', text, TRUE);
}

void Edge(PDEV* pdev, LONG x, LONG y) { WriteGL2(pdev, "EA%d,%d;", x, y); }

void Line(PDEV* pdev, LONG x, LONG y, LONG x2, LONG y2) {
  WriteGL2(pdev, "PU%d,%dPE", x, y);
  pdev->gl2.current = POINTL{x, FlipY(pdev, y)};
  GL2LineTo(pdev, x2, y2);
  WriteGL2(pdev, ";");
}

void DrawPortrait(PDEV* pdev, const SheetFrame& f) {
  LONG a = f.fourCells ? 2 * f.cw : f.cw;
  LONG sep = f.h - f.ch;
  Edge(pdev, a - 1, 0);
  Line(pdev, 0, sep, a - 1, sep);
  if (f.fourCells) Line(pdev, a / 2, f.h - 1, a / 2, 0);
  if (!f.thick) return;
  WriteGL2(pdev, "PU%d,%d", 0, f.h - 2);
  Edge(pdev, a - 1, 1);
  WriteGL2(pdev, "PU%d,%d", 0, f.h - 3);
  Edge(pdev, a - 1, 2);
  Line(pdev, 0, sep + 1, a - 1, sep + 1);
  Line(pdev, 0, sep - 1, a - 1, sep - 1);
}

void DrawLandscape(PDEV* pdev, const SheetFrame& f) {
  LONG a = 2 * f.cw;
  LONG b = f.fourCells ? 2 * f.ch : f.ch;
  Edge(pdev, a - 1, 0);
  Line(pdev, f.cw, f.h - 1, f.cw, 0);
  if (f.fourCells) Line(pdev, 0, f.h - b / 2, a - 1, f.h - b / 2);
  if (!f.thick) return;
  WriteGL2(pdev, "PU%d,%d", 1, f.h - 1);
  Edge(pdev, a - 2, 0);
  WriteGL2(pdev, "PU%d,%d", 2, f.h - 1);
  Edge(pdev, a - 3, 0);
  Line(pdev, f.cw - 1, f.h - 1, f.cw - 1, 0);
  Line(pdev, f.cw + 1, f.h - 1, f.cw + 1, 0);
}

// Line attributes of the frame; the cache is left so that the next drawing
// call writes its own.
void SetFrameLines(PDEV* pdev) {
  WriteGL2(pdev, "LA1,4,2,4,3,32767PW0");
  Gl2State& s = pdev->gl2;
  s.lineEnd = kNeverLineEnd;
  s.lineJoin = kNeverLineJoin;
  s.penWidth = 0;
  s.penWidthKnown = FALSE;
  s.miterLimit = 0;
  if (s.styleCopy) HeapFree(GetProcessHeap(), 0, s.styleCopy);
  s.styleCopy = nullptr;
  s.styleCount = 0;
}

void DrawSeparators(PDEV* pdev) {
  const PageLayout& l = pdev->layout;
  LONG dpi = LONG(pdev->vector.dpi ? pdev->vector.dpi : (pdev->resolution ? pdev->resolution : 300));
  SheetFrame f{};
  f.landscape = l.rotated != FALSE;
  f.w = f.landscape ? l.sheetSize.cy : l.sheetSize.cx;
  f.h = f.landscape ? l.sheetSize.cx : l.sheetSize.cy;
  f.cw = l.nupCell.cx;
  f.ch = l.nupCell.cy;
  f.fourCells = l.nupColumns * l.nupRows == 4;
  f.thick = dpi == 1200 && !pdev->vector.true1200;
  GL2SetMerge(pdev, 240);
  SetGL2Context(pdev, FALSE);
  LONG savedHeight = pdev->vector.pageHeight;
  VectorSetPageHeight(pdev, f.h);
  WriteSheetPictureFrame(pdev, f, dpi);
  PclPrintDirection(pdev, 0);
  PclMoveTo(pdev, l.baseOffset.x, l.baseOffset.y);
  WriteEscape(pdev, "\x1B*c", 't', "0", TRUE);
  WriteGL2(pdev, "IP0,0,1016,1016");
  GL2SetScale(pdev, dpi, dpi);
  LONG cell = LONG(pdev->halftoneCell);
  GL2AnchorCorner(pdev, 0, cell > 0 ? f.h % cell : 0);
  GL2SetWindow(pdev, nullptr);
  SetFrameLines(pdev);
  GL2SetScreen(pdev, 0, 0);
  WriteGL2(pdev, "%s", LineTypeOf(pdev->devmode.priv.dwPageBorder));
  WriteGL2(pdev, "PU%d,%d", 0, f.h - 1);
  if (f.landscape) DrawLandscape(pdev, f);
  else DrawPortrait(pdev, f);
  VectorSetPageHeight(pdev, savedHeight);
}

}  // namespace

BOOL FinishNupSheet(PDEV* pdev) {
  if (pdev->layout.nupFlags && pdev->devmode.priv.dwPageBorder != 0) DrawSeparators(pdev);
  SetGL2Context(pdev, FALSE);
  DWORD written = 0;
  return SpoolWrite(pdev, "\f", 1, &written);
}
