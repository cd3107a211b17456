#include "render/core/pjl_resolution.h"

// A 300 dpi job is announced as 600: the raster resolution command says 300
// and the printer enlarges every dot.
const char* PjlResolutionWord(DWORD resolution, DWORD subMode) {
  if (resolution == 600) {
    if (subMode & RES_SUB_FAST1200) return "FAST1200";
    if (subMode & RES_SUB_FAST1200X2400) return "FAST1200X2400";
    if (subMode & RES_SUB_Y2400) return "X600Y2400";
    if (subMode & RES_SUB_Y1200) return "X600Y1200";
    return "600";
  }
  if (resolution == 1200) {
    if (subMode & RES_SUB_Y2400) return "X600Y2400";
    if ((subMode & RES_SUB_TRUE1200) && !(subMode & RES_SUB_Y1200)) return "1200";
    return "X600Y1200";
  }
  return "600";
}
