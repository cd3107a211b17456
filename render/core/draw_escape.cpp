// DrvDrawEscape: the driver draws nothing through it and only answers the
// query whether the query escape itself is supported.
#include <cstring>

#include "render/core/ddi_hooks.h"

KADU_EXPORT ULONG APIENTRY DrvDrawEscape(SURFOBJ*, ULONG iEsc, CLIPOBJ*, RECTL*, ULONG cjIn, PVOID pvIn) {
  if (iEsc != QUERYESCSUPPORT || !pvIn || cjIn < sizeof(DWORD)) return 0;
  DWORD asked = 0;
  std::memcpy(&asked, pvIn, sizeof(asked));
  return asked == QUERYESCSUPPORT ? 1 : 0;
}
