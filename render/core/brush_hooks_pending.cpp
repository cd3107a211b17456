// Placeholder hooks until brushes, colour translation and dithering exist.
#include "render/core/ddi_hooks.h"
#include "render/core/hook_impl.h"
#include "render/core/pdev.h"

BOOL ImplRealizeBrush(BRUSHOBJ*, SURFOBJ* psoTarget, SURFOBJ*, SURFOBJ*, XLATEOBJ*, ULONG) {
  (void)PdevFromSurface(psoTarget);
  return FALSE;
}

KADU_EXPORT ULONG APIENTRY DrvDitherColor(DHPDEV, ULONG, ULONG, ULONG*) { return 0; }
