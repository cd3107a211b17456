// Placeholder hooks until the device font catalogue exists: no device fonts.
#include "render/core/ddi_hooks.h"

KADU_EXPORT PIFIMETRICS APIENTRY DrvQueryFont(DHPDEV, ULONG_PTR, ULONG, ULONG_PTR*) { return nullptr; }
KADU_EXPORT PVOID APIENTRY DrvQueryFontTree(DHPDEV, ULONG_PTR, ULONG, ULONG, ULONG_PTR*) { return nullptr; }
KADU_EXPORT LONG APIENTRY DrvQueryFontData(DHPDEV, FONTOBJ*, ULONG, HGLYPH, GLYPHDATA*, PVOID, ULONG) {
  return LONG(FD_ERROR);
}
KADU_EXPORT BOOL APIENTRY DrvQueryAdvanceWidths(DHPDEV, FONTOBJ*, ULONG, HGLYPH*, PVOID, ULONG) { return FALSE; }
