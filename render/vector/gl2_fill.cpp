// Merge control, fill type, screened vectors and the polygon instructions.
#include "render/core/gl2_writer.h"
#include "render/core/pdev.h"
#include "render/vector/gl2_commands.h"

namespace {

// The raster operation the merge override forces, 0xA8 (destination AND
// (source OR pattern)): a watermark must not erase what is under it.
constexpr LONG kOverrideMerge = 168;

}  // namespace

BOOL GL2SetMerge(PDEV* pdev, LONG rop3) {
  LONG sent = pdev->vector.mergeOverride ? kOverrideMerge : rop3;
  if (sent == pdev->gl2.merge) return TRUE;
  pdev->gl2.merge = sent;
  WriteGL2(pdev, "MC1,%d", sent);
  return TRUE;
}

BOOL GL2SetFillType(PDEV* pdev, LONG type, LONG p1, LONG p2) {
  Gl2State& s = pdev->gl2;
  if (type == s.fillType && p1 == s.fillP1 && p2 == s.fillP2) return TRUE;
  s.fillType = type;
  s.fillP1 = p1;
  s.fillP2 = p2;
  if (type == 0) {
    WriteGL2(pdev, "FT;");
  } else if (type == 3 || type == 4) {  // hatching: spacing and angle
    WriteGL2(pdev, "FT%d,%d,%d", type, p1, p2);
  } else {
    WriteGL2(pdev, "FT%d,%d", type, p1);
  }
  return TRUE;
}

BOOL GL2SetScreen(PDEV* pdev, LONG type, LONG p) {
  Gl2State& s = pdev->gl2;
  if (type == s.screenType && p == s.screenP) return TRUE;
  s.screenType = type;
  s.screenP = p;
  if (type == 0) {
    WriteGL2(pdev, "SV;");
  } else if (type == 2) {  // hatch screen: always the default spacing mode
    WriteGL2(pdev, "SV%d,%d,1", type, p);
  } else {
    WriteGL2(pdev, "SV%d,%d", type, p);
  }
  return TRUE;
}

BOOL GL2FillPolygon(PDEV* pdev, LONG winding) {
  WriteGL2(pdev, "FP%d", winding);
  return TRUE;
}

BOOL GL2PolygonBegin(PDEV* pdev) {
  WriteGL2(pdev, "PM0");
  return TRUE;
}

BOOL GL2PolygonEnd(PDEV* pdev) {
  WriteGL2(pdev, "PM2");
  return TRUE;
}

BOOL GL2EdgePolygon(PDEV* pdev) {
  WriteGL2(pdev, "EP");
  return TRUE;
}

BOOL GL2Circle(PDEV* pdev, LONG radius) {
  WriteGL2(pdev, "CI%d", radius);
  return TRUE;
}

BOOL GL2FillRectRel(PDEV* pdev, LONG dx, LONG dy) {
  WriteGL2(pdev, "RR%d,%d", dx, dy);
  return TRUE;
}
