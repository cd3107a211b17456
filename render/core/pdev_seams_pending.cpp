// Stand-in bodies until the page geometry, halftoning, device font and
// printer-setting code exists. The paper geometry uses the whole physical
// sheet as the printable area.
#include "common/model_accessors.h"
#include "common/paper_table.h"
#include "render/core/pdev_seams.h"

BOOL ComputePaperGeometry(PDEV* pdev) {
  const kadu::ModelInfo& info = pdev->model->info;
  int index = kadu::PaperIndexOfCode(info, pdev->devmode.dm.dmPaperSize);
  const kadu::PaperRecord* rec = index >= 0 ? kadu::PaperRecordAt(info, index) : nullptr;
  if (!rec || rec->widthDots == 0 || rec->lengthDots == 0) return FALSE;
  PaperMetrics& p = pdev->paper;
  bool landscape = pdev->devmode.dm.dmOrientation == DMORIENT_LANDSCAPE;
  p.physWidth = landscape ? rec->lengthDots : rec->widthDots;
  p.physHeight = landscape ? rec->widthDots : rec->lengthDots;
  p.printWidth = p.physWidth;
  p.printHeight = p.physHeight;
  p.offsetX = p.offsetY = 0;
  p.widthHundredths = LONG(p.physWidth) * 2540 / 300;
  p.heightHundredths = LONG(p.physHeight) * 2540 / 300;
  DWORD dpi = pdev->devmode.dm.dmYResolution;
  pdev->pageSize.cx = LONG(int64_t(p.printWidth) * dpi / 300);
  pdev->pageSize.cy = LONG(int64_t(p.printHeight) * dpi / 300);
  return TRUE;
}

BOOL SetupHalftone(PDEV* pdev, DWORD) {
  pdev->halftoneCell = 8;
  return TRUE;
}

BOOL EnableDeviceFonts(PDEV*, ULONG* count) {
  *count = 0;
  return TRUE;
}

BOOL ModelRequiresDeviceFonts(const PDEV*) { return FALSE; }

void ReadDefaultFontSetting(PDEV*, WCHAR* face, size_t chars) {
  if (chars) face[0] = 0;
}

void ReleaseFontData(PDEV*) {}
void ReleaseHalftone(PDEV*) {}
