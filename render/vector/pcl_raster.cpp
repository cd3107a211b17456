#include "render/vector/pcl_raster.h"

#include "render/core/escape_writer.h"
#include "render/core/format_string.h"
#include "render/core/pdev.h"
#include "render/core/spool_stream.h"
#include "render/vector/escape_value.h"
#include "render/vector/gl2_context.h"
#include "render/vector/pcl_cursor.h"

void PclSetRowBuffer(PDEV* pdev, BYTE* row, DWORD size) {
  pdev->pcl.row = row;
  pdev->pcl.rowSize = row ? size : 0;
  pdev->pcl.rowLength = 0;
}

void PclRasterBegin(PDEV* pdev, LONG height, LONG width) {
  SetGL2Context(pdev, FALSE);
  PclState& s = pdev->pcl;
  EscapeParam run[3];
  int n = 0;
  if (height != s.rasterHeight) run[n++] = {'t', height};
  if (width != s.rasterWidth) run[n++] = {'s', width};
  run[n++] = {'a', 1};
  WriteEscapeRun(pdev, "\x1B*r", run, n);
  s.rasterHeight = height;
  s.rasterWidth = width;
  WriteEscapeNumber(pdev, "\x1B*b", 'm', 5, TRUE);
}

void PclRasterRow(PDEV* pdev) {
  SetGL2Context(pdev, FALSE);
  PclState& s = pdev->pcl;
  DWORD n = s.row ? s.rowLength : 0;
  if (n > s.rowSize) n = s.rowSize;
  WriteEscapeNumber(pdev, "\x1B*b", 'w', LONG(n), TRUE);
  DWORD written = 0;
  if (n) SpoolWrite(pdev, s.row, INT(n), &written);
  s.rowLength = 0;
  PclCursorMoved(pdev);
}

void PclRasterEnd(PDEV* pdev) {
  PclRasterRow(pdev);
  WriteEscape(pdev, "\x1B*r", 'c', nullptr, TRUE);
  PclCursorMoved(pdev);
}

void PclRasterScale(PDEV* pdev, LONG widthTenths, LONG heightTenths) {
  SetGL2Context(pdev, FALSE);
  PclState& s = pdev->pcl;
  bool height = heightTenths != s.rasterDestHeight;
  bool width = widthTenths != s.rasterDestWidth;
  char text[16];
  if (height) {
    FormatTenths(heightTenths, text, sizeof(text));
    WriteEscape(pdev, "\x1B*t", 'v', text, !width);
    s.rasterDestHeight = heightTenths;
  }
  if (width) {
    FormatTenths(widthTenths, text, sizeof(text));
    WriteEscape(pdev, "\x1B*t", 'h', text, TRUE);
    s.rasterDestWidth = widthTenths;
  }
}
