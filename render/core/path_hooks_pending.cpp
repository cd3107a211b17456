// Placeholder bodies until path rendering exists: they check the PDEV, then fail.
#include "render/core/hook_impl.h"
#include "render/core/pdev.h"

BOOL ImplStrokePath(SURFOBJ* pso, PATHOBJ*, CLIPOBJ*, XFORMOBJ*, BRUSHOBJ*, POINTL*, LINEATTRS*, MIX) {
  (void)PdevFromSurface(pso);
  return FALSE;
}

BOOL ImplFillPath(SURFOBJ* pso, PATHOBJ*, CLIPOBJ*, BRUSHOBJ*, POINTL*, MIX, FLONG) {
  (void)PdevFromSurface(pso);
  return FALSE;
}

BOOL ImplStrokeAndFillPath(SURFOBJ* pso, PATHOBJ*, CLIPOBJ*, XFORMOBJ*, BRUSHOBJ*, LINEATTRS*, BRUSHOBJ*, POINTL*,
                           MIX, FLONG) {
  (void)PdevFromSurface(pso);
  return FALSE;
}

BOOL ImplPaint(SURFOBJ* pso, CLIPOBJ*, BRUSHOBJ*, POINTL*, MIX) {
  (void)PdevFromSurface(pso);
  return FALSE;
}
