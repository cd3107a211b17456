#include "render/core/devinfo.h"

#include <algorithm>
#include <cstring>

#include "render/core/pdev_seams.h"

namespace {

constexpr FLONG kCapsDevice = 0x011F;
constexpr FLONG kCapsRaster = 0x200430;
constexpr BYTE kAnsiCharset = 0;
constexpr BYTE kDefaultCharset = 1;
constexpr BYTE kModernFixed = 0x31;   // FF_MODERN | FIXED_PITCH
constexpr BYTE kSwissVariable = 0x22; // FF_SWISS | VARIABLE_PITCH

bool MayJournal(const PDEV* pdev) {
  const kadu::PrivateDevmode& pv = pdev->devmode.priv;
  return pv.dwFinishingMode == 0 && pv.dwJournalFlag == 0 && (pv.wWatermarkFlags & 0x1) == 0 &&
         pv.wManualDuplex == 0 && (pv.wDetailFlags & 0x8000) == 0;
}

void SetFace(LOGFONTW* lf, const char16_t* face) {
  size_t i = 0;
  for (; face[i] && i + 1 < LF_FACESIZE; ++i) lf->lfFaceName[i] = face[i];
  lf->lfFaceName[i] = 0;
}

void FillDeviceFonts(const PDEV* pdev, const WCHAR* face, DEVINFO* di) {
  LOGFONTW base{};
  base.lfHeight = -LONG((pdev->resolution * 10 + 36) / 72);
  base.lfWeight = 400;
  base.lfCharSet = kDefaultCharset;
  base.lfPitchAndFamily = kModernFixed;
  SetFace(&base, face);
  di->lfDefaultFont = base;
  di->lfAnsiVarFont = base;
  di->lfAnsiVarFont.lfCharSet = kAnsiCharset;
  di->lfAnsiVarFont.lfPitchAndFamily = kSwissVariable;
  SetFace(&di->lfAnsiVarFont, u"Helvetica");
  di->lfAnsiFixFont = base;
  di->lfAnsiFixFont.lfCharSet = kAnsiCharset;
  SetFace(&di->lfAnsiFixFont, u"Courier");
}

}  // namespace

BOOL ComputeDevInfo(PDEV* pdev, ULONG deviceFonts, DEVINFO* di) {
  *di = DEVINFO{};
  di->flGraphicsCaps = pdev->rasterMode ? kCapsRaster : kCapsDevice;
  if (MayJournal(pdev)) di->flGraphicsCaps |= GCAPS_DONTJOURNAL;
  WCHAR face[LF_FACESIZE];
  ReadDefaultFontSetting(pdev, face, LF_FACESIZE);
  if (!pdev->rasterMode && deviceFonts > 0) {
    FillDeviceFonts(pdev, face, di);
  } else if (!pdev->rasterMode || face[0]) {
    di->lfDefaultFont.lfCharSet = kDefaultCharset;
    SetFace(&di->lfDefaultFont, face);
  }
  di->cFonts = pdev->rasterMode ? 0 : deviceFonts;
  di->iDitherFormat = BMF_24BPP;
  if (pdev->rasterMode) di->cxDither = di->cyDither = USHORT(pdev->halftoneCell);
  if (pdev->palette) EngDeletePalette(pdev->palette);
  pdev->palette = EngCreatePalette(PAL_RGB, 0, nullptr, 0, 0, 0);
  if (!pdev->palette) return FALSE;
  di->hpalDefault = pdev->palette;
  return TRUE;
}

void CopyDevInfo(const DEVINFO& di, ULONG cjDevInfo, DEVINFO* pdi) {
  size_t n = std::min<size_t>(cjDevInfo, sizeof(DEVINFO));
  if (pdi && n) std::memcpy(pdi, &di, n);
}
