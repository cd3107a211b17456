// Moves, PE line segments and Bezier triples; the current point is kept in
// device coordinates (y not flipped).
#include "render/core/gl2_writer.h"
#include "render/core/pdev.h"
#include "render/vector/gl2_commands.h"
#include "render/vector/gl2_pe.h"
#include "render/vector/vector_device.h"

namespace {

LONG Clamp32(LONGLONG v) {
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return LONG(v);
}

}  // namespace

BOOL GL2MoveTo(PDEV* pdev, LONG x, LONG flippedY) {
  WriteGL2(pdev, "PU%d,%d", x, flippedY);
  return TRUE;
}

BOOL GL2LineTo(PDEV* pdev, LONG x, LONG flippedY) {
  POINTL& cur = pdev->gl2.current;
  GL2EncodeDelta(pdev, Clamp32(LONGLONG(x) - cur.x), Clamp32(LONGLONG(flippedY) - FlipY(pdev, cur.y)));
  cur = POINTL{x, FlipY(pdev, flippedY)};
  return TRUE;
}

BOOL GL2BezierTo(PDEV* pdev, LONG x1, LONG y1, LONG x2, LONG y2, LONG x3, LONG y3) {
  Gl2State& s = pdev->gl2;
  if (s.pathFlags & GL2_PATH_BZ_FIRST) {
    WriteGL2(pdev, "%d,%d,%d,%d,%d,%d", x1, y1, x2, y2, x3, y3);
    s.pathFlags &= ~DWORD(GL2_PATH_BZ_FIRST);
  } else {
    WriteGL2(pdev, ",%d,%d,%d,%d,%d,%d", x1, y1, x2, y2, x3, y3);
  }
  s.current = POINTL{x3, FlipY(pdev, y3)};
  return TRUE;
}
