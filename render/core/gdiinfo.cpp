#include "render/core/gdiinfo.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr ULONG kRasterPrinter = 2;  // DT_RASPRINTER
constexpr ULONG kTextCapsDevice = 0x1817;
constexpr ULONG kTextCapsRaster = 0x1807;

ULONG PatternSizeOfCell(DWORD cell) {
  switch (cell) {
    case 8: return HT_PATSIZE_8x8_M;
    case 12: return HT_PATSIZE_12x12_M;
    case 16: return HT_PATSIZE_16x16_M;
    case 24:
    case 32: return HT_PATSIZE_USER;
    default: return HT_PATSIZE_SUPERCELL_M;
  }
}

void SetChroma(CIECHROMA* c, LONG x, LONG y) { *c = CIECHROMA{x, y, 0}; }

void FillColorInfo(COLORINFO* ci) {
  SetChroma(&ci->Red, 6380, 3350);
  SetChroma(&ci->Green, 2345, 6075);
  SetChroma(&ci->Blue, 1410, 932);
  SetChroma(&ci->Cyan, 2000, 2450);
  SetChroma(&ci->Magenta, 5210, 2100);
  SetChroma(&ci->Yellow, 4750, 5100);
  SetChroma(&ci->AlignmentWhite, 3127, 3290);
  ci->RedGamma = ci->GreenGamma = ci->BlueGamma = 12500;
  ci->MagentaInCyanDye = 585;
  ci->YellowInCyanDye = 120;
  ci->CyanInMagentaDye = ci->YellowInMagentaDye = ci->CyanInYellowDye = 0;
  ci->MagentaInYellowDye = 10000;
}

bool ColourOn(const PDEV* pdev) {
  return pdev->devmode.priv.wColorModeFlag != 0 && pdev->devmode.dm.dmColor == DMCOLOR_COLOR;
}

}  // namespace

void ComputeGdiInfo(const PDEV* pdev, GDIINFO* gi) {
  const PaperMetrics& p = pdev->paper;
  LONG scale = pdev->devmode.dm.dmScale > 0 ? pdev->devmode.dm.dmScale : 100;
  gi->ulVersion = 0x500;
  gi->ulTechnology = kRasterPrinter;
  gi->ulHorzSize = ULONG(p.widthHundredths / scale);
  gi->ulVertSize = ULONG(p.heightHundredths / scale);
  // The engine's page: the logical page, or the whole printable page when
  // the driver scales the drawing into the logical page itself.
  ULONG horz = ULONG(pdev->layout.enginePage.cx), vert = ULONG(pdev->layout.enginePage.cy);
  if (pdev->rasterMode) horz &= ~7u, vert &= ~7u;
  gi->ulHorzRes = horz;
  gi->ulVertRes = vert;
  bool colour = ColourOn(pdev);
  gi->cBitsPixel = colour ? 3 : 1;
  gi->cPlanes = 1;
  gi->ulNumColors = colour ? 0x1000000 : 2;
  gi->flRaster = 0;
  LONG widthBasis = p.printableIsWidth ? p.printWidth * 2540 / 300 : p.widthHundredths;
  if (widthBasis <= 0) widthBasis = 1;
  ULONG logPixels = ULONG(int64_t(scale) * horz * 254 / widthBasis / 10);
  gi->ulLogPixelsX = gi->ulLogPixelsY = logPixels;
  gi->flTextCaps = pdev->rasterMode ? kTextCapsRaster : kTextCapsDevice;
  gi->ulDACRed = gi->ulDACGreen = gi->ulDACBlue = 0;
  gi->ulAspectX = gi->ulAspectY = 500;
  gi->ulAspectXY = 707;
  gi->xStyleStep = gi->yStyleStep = 1;
  gi->denStyleStep = LONG(pdev->resolution / 25);
  LONG printH = p.printHeight > 0 ? p.printHeight : 1;
  gi->ptlPhysOffset = POINTL{LONG(int64_t(p.offsetX) * vert / printH), LONG(int64_t(p.offsetY) * vert / printH)};
  gi->szlPhysSize = SIZEL{LONG(int64_t(p.physWidth) * vert / printH), LONG(int64_t(p.physHeight) * vert / printH)};
  FillColorInfo(&gi->ciDevice);
  gi->ulDevicePelsDPI = 0;
  gi->ulPrimaryOrder = 0;
  gi->ulHTPatternSize = pdev->rasterMode ? PatternSizeOfCell(pdev->halftoneCell) : HT_PATSIZE_6x6_M;
  gi->ulHTOutputFormat = pdev->rasterMode ? HT_FORMAT_1BPP : HT_FORMAT_24BPP;
  gi->flHTFlags = pdev->rasterMode ? 0 : HT_FLAG_HAS_BLACK_DYE;
}

void FillGdiInfo(const PDEV* pdev, ULONG cjCaps, ULONG* caps) {
  GDIINFO gi{};
  size_t n = std::min<size_t>(cjCaps, sizeof(GDIINFO));
  if (caps && n) std::memcpy(&gi, caps, n);
  ComputeGdiInfo(pdev, &gi);
  if (caps && n) std::memcpy(caps, &gi, n);
}
