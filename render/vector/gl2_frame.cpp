// Input window, scaling points, scale, rotation and anchor corner.
#include "render/core/gl2_writer.h"
#include "render/core/pdev.h"
#include "render/vector/gl2_commands.h"
#include "render/vector/vector_device.h"

BOOL GL2SetWindow(PDEV* pdev, const CLIPOBJ* clip) {
  Gl2State& s = pdev->gl2;
  if (clip && clip->iDComplexity == DC_RECT) {
    const RECTL& r = clip->rclBounds;
    WriteGL2(pdev, "IW%d,%d,%d,%d", r.left, FlipY(pdev, r.bottom), r.right, FlipY(pdev, r.top));
    s.windowSet = TRUE;
  } else if (s.windowSet) {
    WriteGL2(pdev, "IW;");
    s.windowSet = FALSE;
  }
  return TRUE;
}

BOOL GL2SetP1P2(PDEV* pdev, LONG x1, LONG y1, LONG x2, LONG y2) {
  WriteGL2(pdev, "IP%d,%d,%d,%d;", x1, y1, x2, y2);
  return TRUE;
}

BOOL GL2SetScale(PDEV* pdev, LONG xmax, LONG ymax) {
  Gl2State& s = pdev->gl2;
  if (xmax == s.scaleX && ymax == s.scaleY) return TRUE;
  s.scaleX = xmax;
  s.scaleY = ymax;
  WriteGL2(pdev, "SC0,%d,0,%d;", xmax, ymax);
  return TRUE;
}

BOOL GL2Rotate(PDEV* pdev, LONG angle) {
  // RO takes 0, 90, 180 and 270; a full turn is no turn.
  if (angle >= 360) angle %= 360;
  if (angle == pdev->gl2.rotation) return TRUE;
  pdev->gl2.rotation = angle;
  WriteGL2(pdev, "RO%d", angle);
  return TRUE;
}

BOOL GL2AnchorCorner(PDEV* pdev, LONG x, LONG y) {
  WriteGL2(pdev, "AC%d,%d", x, y);
  return TRUE;
}
