// Placeholder bodies until PJL job framing exists: they check the PDEV, then fail.
#include "render/core/hook_impl.h"
#include "render/core/pdev.h"

BOOL ImplStartDoc(SURFOBJ* pso, LPWSTR, DWORD) {
  (void)PdevFromSurface(pso);
  return FALSE;
}

BOOL ImplEndDoc(SURFOBJ* pso, FLONG) {
  (void)PdevFromSurface(pso);
  return FALSE;
}
