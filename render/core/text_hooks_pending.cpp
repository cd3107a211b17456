// Placeholder hooks until text output exists.
#include "render/core/ddi_hooks.h"
#include "render/core/hook_impl.h"
#include "render/core/pdev.h"

BOOL ImplTextOut(SURFOBJ* pso, STROBJ*, FONTOBJ*, CLIPOBJ*, RECTL*, RECTL*, BRUSHOBJ*, BRUSHOBJ*, POINTL*, MIX) {
  (void)PdevFromSurface(pso);
  return FALSE;
}

KADU_EXPORT ULONG APIENTRY DrvGetGlyphMode(DHPDEV, FONTOBJ*) { return 0; }
