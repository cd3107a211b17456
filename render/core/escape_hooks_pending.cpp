// Placeholder body until the driver escapes exist: it checks the PDEV, then
// supports nothing.
#include "render/core/hook_impl.h"
#include "render/core/pdev.h"

ULONG ImplEscape(SURFOBJ* pso, ULONG, ULONG, PVOID, ULONG, PVOID) {
  (void)PdevFromSurface(pso);
  return 0;
}
