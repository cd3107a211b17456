#include "render/core/page_geometry.h"

#include <algorithm>
#include <utility>

#include "common/model_accessors.h"
#include "render/core/logical_page.h"
#include "render/core/pdev_seams.h"
#include "render/core/poster_geometry.h"
#include "render/core/units.h"

namespace {

constexpr DWORD kFinishBooklet = 1;
constexpr DWORD kFinishPoster = 2;
constexpr DWORD kFitToPage = 0x1;
constexpr DWORD kRightToLeft = 0x2;
constexpr DWORD kFourPagesASide = 0x20;
constexpr WORD kBindingOn = 0x10;
constexpr WORD kDriverScales = 0x1;
constexpr uint32_t kPaperClassCustom = 3;
constexpr uint32_t kPrintableIsWidth = 0x100;

bool IsCustomRecord(const kadu::PaperRecord& r) {
  return (r.paperClass & 0xFF) == kPaperClassCustom || r.code == DMPAPER_USER || r.code == kPaperCustomMm ||
         r.code == kPaperCustomInch;
}

// The user's own papers (256 and from 276 on) print as one of the custom codes.
int PrintedPaperCode(int code, WORD dispType) {
  if (code == DMPAPER_USER || code >= 276) return dispType ? kPaperCustomInch : kPaperCustomMm;
  return code;
}

bool LandscapeRequested(const DEVMODEW& dm) {
  return (dm.dmFields & DM_ORIENTATION) && dm.dmOrientation == DMORIENT_LANDSCAPE;
}

void FillPaperMetrics(PaperMetrics* m, const kadu::PaperRecord& r) {
  m->physWidth = r.widthDots;
  m->physHeight = r.lengthDots;
  m->printWidth = r.portrait[kadu::kPrintableWidth];
  m->printHeight = r.portrait[kadu::kPrintableLength];
  m->offsetX = r.portrait[kadu::kOffsetLeft];
  m->offsetY = r.portrait[kadu::kOffsetTop];
  bool tenths = r.widthTenths && r.lengthTenths;
  m->widthHundredths = tenths ? LONG(r.widthTenths) * 10 : DotsToHundredths(r.widthDots);
  m->heightHundredths = tenths ? LONG(r.lengthTenths) * 10 : DotsToHundredths(r.lengthDots);
  m->printableIsWidth = (r.paperClass & kPrintableIsWidth) ? TRUE : FALSE;
}

// Rotated flag and N-up flags; a grid that is not square turns the sheet.
void ChooseOrientationAndGrid(PDEV* pdev) {
  PageLayout& l = pdev->layout;
  const kadu::DriverDevmode& dm = pdev->devmode;
  l.rotated = LandscapeRequested(dm.dm) ? TRUE : FALSE;
  NupGridOf(dm.priv, &l.nupColumns, &l.nupRows);
  l.nupFlags = 0;
  l.layoutFlags = 0;
  if (dm.priv.dwFinishingMode == kFinishPoster || (l.nupColumns == 1 && l.nupRows == 1)) return;
  l.nupFlags = LAYOUT_NUP;
  if (l.nupColumns != l.nupRows) {
    l.nupFlags |= LAYOUT_NUP_TURNED;
    l.rotated = !l.rotated;
  }
  if (LandscapeRequested(dm.dm)) l.nupFlags |= LAYOUT_NUP_LANDSCAPE;
  if (l.rotated) l.layoutFlags |= LAYOUT_GRID_EXCHANGED;
}

// The printable page in pixels, as rendered.
void ComputePageSize(PDEV* pdev) {
  PageLayout& l = pdev->layout;
  DWORD dpi = pdev->devmode.dm.dmYResolution;
  l.pageWidth = DotsToPixels(l.outputPaper.portrait[kadu::kPrintableWidth], dpi);
  l.pageHeight = DotsToPixels(l.outputPaper.portrait[kadu::kPrintableLength], dpi);
  if (pdev->rasterMode) {
    LONG step = LONG(8 * std::max<DWORD>(dpi / 300, 1));
    l.pageWidth = RoundDownTo(l.pageWidth, step);
    l.pageHeight = RoundDownTo(l.pageHeight, step);
  }
}

// Where cells start: the printable area's offset from the PCL logical page,
// and the booklet slots for a job without a binding margin (the binding
// margin code moves them when a margin is set).
void ComputePlacementInputs(PDEV* pdev) {
  PageLayout& l = pdev->layout;
  const kadu::DriverDevmode& dm = pdev->devmode;
  DWORD dpi = dm.dm.dmYResolution;
  const uint16_t* w = l.outputPaper.portrait;
  l.baseOffset = POINTL{DotsToPixels(LONG(w[kadu::kOffsetLeft]) - LONG(w[kadu::kLogicalPageOffset]), dpi), 0};
  l.bookletSlot[0] = l.bookletSlot[1] = 0;
  if (dm.priv.dwFinishingMode != kFinishBooklet) return;
  const uint16_t* upright = l.rotated ? l.outputPaper.landscape : l.outputPaper.portrait;
  LONG h = DotsToPixels(upright[kadu::kPrintableLength], dpi);
  bool four = (dm.priv.dwLayoutFlags & kFourPagesASide) != 0;
  bool portraitDoc = !LandscapeRequested(dm.dm);
  LONG e = four == portraitDoc ? l.logicalPage.cy : l.logicalPage.cx;
  LONG b = (h - 2 * e) >> 1;
  l.bookletSlot[0] = b >> 1;
  l.bookletSlot[1] = (h >> 1) + (b >> 1);
}

}  // namespace

void NupGridOf(const kadu::PrivateDevmode& p, DWORD* columns, DWORD* rows) {
  *columns = std::clamp<DWORD>(p.dwNupColumns, 1, kNupMaxCells);
  *rows = std::clamp<DWORD>(p.dwNupRows, 1, kNupMaxCells);
}

void ApplyLayoutSettings(PDEV* pdev) {
  DEVMODEW& dm = pdev->devmode.dm;
  kadu::PrivateDevmode& p = pdev->devmode.priv;
  if (p.dwFinishingMode == kFinishPoster) {
    if (!(p.dwFitPage & kFitToPage)) {
      p.dwFitPage |= kFitToPage;
      p.dwFitPaperSize = uint32_t(uint16_t(dm.dmPaperSize));
      p.wFitPaperWidth = uint16_t(dm.dmPaperWidth);
      p.wFitPaperLength = uint16_t(dm.dmPaperLength);
    }
    p.wBandArea &= uint16_t(~kBindingOn);
    if (!pdev->rasterMode) p.wDetailFlags |= kDriverScales;
    p.dwNupColumns = p.dwNupRows = 1;
  } else if (p.dwFinishingMode == kFinishBooklet) {
    dm.dmDuplex = DMDUP_VERTICAL;
    p.dwNupColumns = (p.dwLayoutFlags & kFourPagesASide) ? 2 : 1;
    p.dwNupRows = 2;
    p.dwPageBorder = 0;
    p.wPortDirect = 0;
    if (p.dwLayoutFlags & kRightToLeft) {
      p.wLandDirect = 1;
      p.dwNupOrder = dm.dmOrientation == DMORIENT_LANDSCAPE ? 0x80004 : 0x20001;
    } else {
      p.wLandDirect = 0;
      p.dwNupOrder = 0x10001;
    }
    if (p.wBandArea & kBindingOn) p.wBandArea = 18;
  }
}

BOOL ResolvePaperRecord(const kadu::ModelInfo& info, int code, LONG widthTenths, LONG lengthTenths,
                        kadu::PaperRecord* out) {
  int index = kadu::PaperIndexOfCode(info, code);
  // The two custom codes differ only in the unit the user sees; a model that
  // lists one of them prints the other's size with it.
  if (index < 0 && (code == kPaperCustomMm || code == kPaperCustomInch || code == DMPAPER_USER)) {
    index = kadu::PaperIndexOfCode(info, kPaperCustomMm);
    if (index < 0) index = kadu::PaperIndexOfCode(info, kPaperCustomInch);
  }
  const kadu::PaperRecord* rec = index >= 0 ? kadu::PaperRecordAt(info, index) : nullptr;
  if (!rec) return FALSE;
  *out = *rec;
  if (IsCustomRecord(*rec)) {
    LONG w = TenthsToDots(widthTenths), len = TenthsToDots(lengthTenths);
    if (w <= 0 || len <= 0 || w > 0xFFFF || len > 0xFFFF) return FALSE;
    out->widthDots = uint16_t(w);
    out->lengthDots = uint16_t(len);
    out->widthTenths = uint16_t(widthTenths);
    out->lengthTenths = uint16_t(lengthTenths);
    LONG pw = w - 2 * LONG(rec->portrait[kadu::kOffsetLeft]), pl = len - 2 * LONG(rec->portrait[kadu::kOffsetTop]);
    LONG lw = len - 2 * LONG(rec->landscape[kadu::kOffsetLeft]), ll = w - 2 * LONG(rec->landscape[kadu::kOffsetTop]);
    if (pw <= 0 || pl <= 0 || lw <= 0 || ll <= 0) return FALSE;
    out->portrait[kadu::kPrintableWidth] = uint16_t(pw);
    out->portrait[kadu::kPrintableLength] = uint16_t(pl);
    out->landscape[kadu::kPrintableWidth] = uint16_t(lw);
    out->landscape[kadu::kPrintableLength] = uint16_t(ll);
  }
  return out->widthDots && out->lengthDots && out->portrait[kadu::kPrintableWidth] &&
         out->portrait[kadu::kPrintableLength] && out->landscape[kadu::kPrintableWidth] &&
         out->landscape[kadu::kPrintableLength];
}

void TurnPaperRecord(kadu::PaperRecord* rec) {
  std::swap(rec->widthDots, rec->lengthDots);
  std::swap(rec->widthTenths, rec->lengthTenths);
  for (int i = 0; i < 6; ++i) std::swap(rec->portrait[i], rec->landscape[i]);
}

BOOL ComputePaperGeometry(PDEV* pdev) {
  const kadu::ModelInfo& info = pdev->model->info;
  const kadu::DriverDevmode& dm = pdev->devmode;
  PageLayout& l = pdev->layout;
  DWORD dpi = dm.dm.dmYResolution;
  if (!dpi) return FALSE;
  if (!ResolvePaperRecord(info, dm.dm.dmPaperSize, dm.dm.dmPaperWidth, dm.dm.dmPaperLength, &l.sheetPaper))
    return FALSE;
  // A fit-to-page paper the model does not know prints on the fed sheet.
  l.outputPaper = l.sheetPaper;
  if (dm.priv.dwFitPage & kFitToPage) {
    kadu::PaperRecord fit;
    int code = PrintedPaperCode(int(dm.priv.dwFitPaperSize), dm.priv.wDispType);
    if (ResolvePaperRecord(info, code, dm.priv.wFitPaperWidth, dm.priv.wFitPaperLength, &fit)) l.outputPaper = fit;
  }
  l.sheetSize = SIZEL{DotsToPixels(l.sheetPaper.widthDots, dpi), DotsToPixels(l.sheetPaper.lengthDots, dpi)};
  ChooseOrientationAndGrid(pdev);
  l.posterColumns = l.posterRows = 0;
  l.posterTurn = FALSE;
  l.posterOverlap = l.posterJoin = 0;
  l.posterLogical = l.posterTile = SIZEL{0, 0};
  if (dm.priv.dwFinishingMode == kFinishPoster) ComputePosterGeometry(pdev, l.sheetPaper, l.rotated);
  if (l.rotated) {
    TurnPaperRecord(&l.outputPaper);
    TurnPaperRecord(&l.sheetPaper);
  }
  ComputePageSize(pdev);
  ComputeLogicalPage(pdev);
  ComputePlacementInputs(pdev);
  FillPaperMetrics(&pdev->paper, l.outputPaper);
  pdev->pageSize = l.logicalPage;
  return l.logicalPage.cx > 0 && l.logicalPage.cy > 0;
}
