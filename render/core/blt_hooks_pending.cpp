// Placeholder bodies until the bit-block transfers exist: they check the
// target's PDEV, then fail.
#include "render/core/hook_impl.h"
#include "render/core/pdev.h"

BOOL ImplBitBlt(SURFOBJ* psoTrg, SURFOBJ*, SURFOBJ*, CLIPOBJ*, XLATEOBJ*, RECTL*, POINTL*, POINTL*, BRUSHOBJ*,
                POINTL*, ROP4) {
  (void)PdevFromSurface(psoTrg);
  return FALSE;
}

BOOL ImplCopyBits(SURFOBJ* psoDest, SURFOBJ*, CLIPOBJ*, XLATEOBJ*, RECTL*, POINTL*) {
  (void)PdevFromSurface(psoDest);
  return FALSE;
}

BOOL ImplStretchBlt(SURFOBJ* psoDest, SURFOBJ*, SURFOBJ*, CLIPOBJ*, XLATEOBJ*, COLORADJUSTMENT*, POINTL*, RECTL*,
                    RECTL*, POINTL*, ULONG) {
  (void)PdevFromSurface(psoDest);
  return FALSE;
}

BOOL ImplStretchBltROP(SURFOBJ* psoDest, SURFOBJ*, SURFOBJ*, CLIPOBJ*, XLATEOBJ*, COLORADJUSTMENT*, POINTL*, RECTL*,
                       RECTL*, POINTL*, ULONG, BRUSHOBJ*, DWORD) {
  (void)PdevFromSurface(psoDest);
  return FALSE;
}
