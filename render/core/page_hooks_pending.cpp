// Placeholder bodies until page setup and sequencing exists: they check the
// PDEV, then fail.
#include "render/core/hook_impl.h"
#include "render/core/pdev.h"

BOOL ImplStartPage(SURFOBJ* pso) {
  (void)PdevFromSurface(pso);
  return FALSE;
}

BOOL ImplSendPage(SURFOBJ* pso) {
  (void)PdevFromSurface(pso);
  return FALSE;
}
