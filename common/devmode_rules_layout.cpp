// Layout fields derived from the user's choices: the N-up grid, the poster
// sheet count and the poster direction.
#include <algorithm>

#include "common/devmode_rules.h"

namespace kadu {
namespace {

struct NupRow {
  uint32_t pages, columns, rows;
};
// By dwMultipage.
constexpr NupRow kNup[] = {{1, 1, 1}, {2, 1, 2}, {4, 2, 2}, {6, 2, 3}, {8, 2, 4}, {9, 3, 3}, {16, 4, 4}};

// 0.1 mm to dots at 300 dpi, as the poster direction counts them.
int64_t TenthsToDots(int v) { return (int64_t(v) * 300 + 127) * 10 / 2540; }

bool OwnSize(int code) { return IsCustomPaper(code) || code >= 276; }

// Printable width and length in dots of a paper for an orientation; custom
// and user-defined papers use the given size.
void PrintableSize(const DevmodeModel& m, int code, int orientation, int width, int length, int64_t* w,
                   int64_t* l) {
  if (OwnSize(code)) {
    *w = TenthsToDots(width);
    *l = TenthsToDots(length);
    return;
  }
  const uint16_t* area = PrintableAreaAt(m.info, PaperIndexOfCode(m.info, code), orientation);
  *w = area ? area[kPrintableWidth] : 0;
  *l = area ? area[kPrintableLength] : 0;
}

}  // namespace

void DeriveNup(DriverDevmode* dm) {
  PrivateDevmode& p = dm->priv;
  const NupRow& r = kNup[p.dwMultipage < std::size(kNup) ? p.dwMultipage : 0];
  p.dwPagesPerSheet = r.pages;
  p.dwNupColumns = r.columns;
  p.dwNupRows = r.rows;
}

void DerivePosterSheets(DriverDevmode* dm) {
  PrivateDevmode& p = dm->priv;
  switch (p.dwEnlarge) {
    case 1: p.dwPosterSheets = 4; break;
    case 2: p.dwPosterSheets = 9; break;
    case 3: p.dwPosterSheets = -1; break;
    default: p.dwPosterSheets = 2; break;
  }
}

// With automatic direction, the poster is laid out in the direction that
// enlarges the page less in its tighter axis.
void ApplyPosterDirection(const DevmodeModel& m, DriverDevmode* dm) {
  PrivateDevmode& p = dm->priv;
  if (!(p.dwPosterFlags & 0x1)) return;
  const int orientation = dm->dm.dmOrientation;
  const int paper = dm->dm.dmPaperSize;
  int64_t w, l, c, d;
  if (p.dwFitPage & 0x1)
    PrintableSize(m, int(p.dwFitPaperSize), orientation, p.wFitPaperWidth, p.wFitPaperLength, &w, &l);
  else
    PrintableSize(m, paper, orientation, dm->dm.dmPaperWidth, dm->dm.dmPaperLength, &w, &l);
  PrintableSize(m, paper, orientation, dm->dm.dmPaperWidth, dm->dm.dmPaperLength, &c, &d);
  if (orientation == DMORIENT_LANDSCAPE) std::swap(c, d);
  // A page without a size gives no direction: the bit stays as it is.
  if (c <= 0 || d <= 0) return;
  const int64_t e = p.dwCstmX, f = p.dwCstmY;
  const int64_t g = (int64_t(p.dwOverlapWidth) * 3000 + 1270) / 2540;
  const int64_t a = (e * w - g * (e - 1)) * 100 / c;
  const int64_t b = (f * l - g * (f - 1)) * 100 / d;
  const int64_t cc = (f * w - g * (f - 1)) * 100 / d;
  const int64_t ee = (e * l - g * (e - 1)) * 100 / c;
  if (std::min(a, b) < std::min(ee, cc))
    p.dwPosterFlags &= ~0x2u;
  else
    p.dwPosterFlags |= 0x2;
}

}  // namespace kadu
