#include "render/vector/pcl_cursor.h"

#include "render/core/pdev.h"
#include "render/vector/escape_value.h"
#include "render/vector/gl2_context.h"
#include "render/vector/vector_unknown.h"

namespace {

const char kCursorPrefix[] = "\x1B*p";

LONG Clamp32(LONGLONG v) {
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return LONG(v);
}

LONG AtLeastZero(LONGLONG v) { return v < 0 ? 0 : Clamp32(v); }

// "\e*p#x#Y", remembered. A negative number puts the printer's cursor at the
// edge of the page, not where the number says.
void SendBoth(PDEV* pdev, LONG x, LONG y) {
  EscapeParam run[] = {{'x', x}, {'y', y}};
  WriteEscapeRun(pdev, kCursorPrefix, run, 2);
  pdev->pcl.cursor = POINTL{x < 0 ? kUnknownValue : x, y < 0 ? kUnknownValue : y};
}

}  // namespace

void PclMoveTo(PDEV* pdev, LONG x, LONG y) {
  SetGL2Context(pdev, FALSE);
  if (x < 0 || y < 0) SendBoth(pdev, 0, 0);
  SendBoth(pdev, x, y);
  pdev->gl2.current = POINTL{x, y};
}

void PclMoveToPage(PDEV* pdev, LONG x, LONG y) {
  SetGL2Context(pdev, FALSE);
  const PclState& s = pdev->pcl;
  SendBoth(pdev, AtLeastZero(LONGLONG(x) + s.pageOffset.x), AtLeastZero(LONGLONG(y) + s.pageOffset.y));
  pdev->gl2.current = POINTL{x, y};
}

void PclMoveToMapped(PDEV* pdev, LONG x, LONG y) {
  LONG mx = x, my = y;
  MapPagePoint(pdev, &mx, &my);
  PclMoveToPage(pdev, mx, my);
  pdev->gl2.current = POINTL{x, y};
}

void PclMoveToCached(PDEV* pdev, LONG x, LONG y) {
  SetGL2Context(pdev, FALSE);
  LONG mx = x, my = y;
  MapPagePoint(pdev, &mx, &my);
  PclState& s = pdev->pcl;
  LONG X = AtLeastZero(LONGLONG(mx) + s.pageOffset.x + s.printableOffset.x);
  LONG Y = AtLeastZero(LONGLONG(my) + s.pageOffset.y + s.printableOffset.y);
  if (Y != s.cursor.y) {
    SendBoth(pdev, X, Y);
  } else if (X != s.cursor.x) {
    WriteEscapeNumber(pdev, kCursorPrefix, 'x', X, TRUE);
    s.cursor.x = X;
  }
  pdev->gl2.current = POINTL{mx, my};
}

void PclCursorMovedX(PDEV* pdev) { pdev->pcl.cursor.x = kUnknownValue; }

void PclCursorMoved(PDEV* pdev) { pdev->pcl.cursor = POINTL{kUnknownValue, kUnknownValue}; }
