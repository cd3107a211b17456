// Cell origins of logical pages on an N-up or booklet sheet, and the
// re-anchoring of PCL and HP-GL/2 at the cell.
#include <algorithm>
#include <cstdint>

#include "render/core/escape_writer.h"
#include "render/core/gl2_writer.h"
#include "render/core/pdev.h"
#include "render/vector/gl2_commands.h"
#include "render/vector/gl2_context.h"
#include "render/vector/nup_page.h"
#include "render/vector/pcl_cursor.h"

namespace {

constexpr DWORD kNupLandscapePages = 0x4;
constexpr DWORD kBookletMirrored = 0x2;
constexpr DWORD kBookletFour = 0x20;
constexpr DWORD kFinishBooklet = 1;

// A page index beyond the sheet must not overflow into another position.
LONG Clamp32(int64_t v) { return LONG(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

bool Sideways(LONG rotation) { return rotation == 90 || rotation == 270; }

// Four pages a side: centred in its half along one axis, at the slot along
// the other.
POINTL BookletFour(const NupInputs& in, LONG i, LONG cw, LONG ch) {
  LONG s = in.slot[(i >> 1) & 1];
  bool second = (i & 1) != 0;
  bool centreX = in.landscapeSheet ? Sideways(in.rotation) : !Sideways(in.rotation);
  LONG e = in.landscapeSheet ? in.page.cy : in.page.cx;
  LONG k = centreX ? cw : ch;
  LONG b = centreX ? in.base.x : in.base.y;
  LONG pos = second ? b * 3 / 2 + (k - e) / 2 + k : (k - e) / 2 + b / 2;
  return centreX ? POINTL{pos, s} : POINTL{s, pos};
}

// Two pages a side: centred across the sheet, at the slot along it.
POINTL BookletTwo(const NupInputs& in, LONG i, LONG cw, LONG ch) {
  LONG s = in.slot[i != 0 ? 1 : 0];
  bool sideways = Sideways(in.rotation);
  if (!in.landscapeSheet) {
    if (!sideways) return POINTL{(cw - in.page.cx) / 2 + in.base.x, s};
    return POINTL{s, (ch - in.page.cx) / 2 + in.base.y};
  }
  if (sideways) return POINTL{(cw - in.page.cy) / 2 + in.base.x, s};
  return POINTL{s, (ch - in.page.cy) / 2 + in.base.y};
}

DWORD NupDpi(const PDEV* pdev) {
  if (pdev->vector.dpi) return pdev->vector.dpi;
  return pdev->resolution ? pdev->resolution : 300;
}

}  // namespace

NupInputs NupInputsOf(const PDEV* pdev) {
  const PageLayout& l = pdev->layout;
  const kadu::DriverDevmode& dm = pdev->devmode;
  NupInputs in{};
  in.nupWord = l.nupFlags;
  in.index = l.pageInSheet;
  in.booklet = dm.priv.dwFinishingMode == kFinishBooklet;
  in.bookletFlags = dm.priv.dwLayoutFlags;
  in.columns = l.nupColumns;
  in.rows = l.nupRows;
  in.exchanged = (l.layoutFlags & LAYOUT_GRID_EXCHANGED) != 0;
  in.printable = SIZEL{l.pageWidth, l.pageHeight};
  in.order = dm.priv.dwNupOrder;
  in.landscapeDoc = dm.dm.dmOrientation == DMORIENT_LANDSCAPE;
  in.base = l.baseOffset;
  in.slot[0] = l.bookletSlot[0];
  in.slot[1] = l.bookletSlot[1];
  in.rotation = l.rotation;
  in.landscapeSheet = l.rotated;
  in.page = l.logicalPage;
  return in;
}

LONG NupEffectiveIndex(const NupInputs& in) {
  LONG i = LONG(in.index);
  if (!in.booklet || !(in.bookletFlags & kBookletMirrored)) return i;
  bool landscapePages = (in.nupWord & kNupLandscapePages) != 0;
  if (in.bookletFlags & kBookletFour) return landscapePages ? i : 3 - i;
  return landscapePages ? 1 - i : i;
}

POINTL NupGridCell(LONG i, LONG nc, LONG nr, DWORD orderNibble) {
  nc = std::max<LONG>(nc, 1);
  nr = std::max<LONG>(nr, 1);
  switch (orderNibble) {
    case 2: return POINTL{i / nr, i % nr};
    case 4: return POINTL{nc - 1 - (i % nc), i / nc};
    case 8: return POINTL{nc - 1 - (i / nr), i % nr};
    default: return POINTL{i % nc, i / nc};
  }
}

POINTL NupPageOffset(const NupInputs& in) {
  if (!in.nupWord) return in.base;
  LONG i = NupEffectiveIndex(in);
  // Never 0: a grid of 0 cells along a side would leave nothing to divide by.
  LONG nc = LONG(std::max<DWORD>(in.exchanged ? in.rows : in.columns, 1));
  LONG nr = LONG(std::max<DWORD>(in.exchanged ? in.columns : in.rows, 1));
  LONG cw = in.printable.cx / nc, ch = in.printable.cy / nr;
  if (in.booklet) return (in.bookletFlags & kBookletFour) ? BookletFour(in, i, cw, ch) : BookletTwo(in, i, cw, ch);
  DWORD nibble = in.landscapeDoc ? (in.order >> 16) & 0xF : in.order & 0xF;
  POINTL cell = NupGridCell(i, nc, nr, nibble);
  return POINTL{Clamp32(int64_t(cell.x) * cw + in.base.x), Clamp32(int64_t(cell.y) * ch + in.base.y)};
}

int PlaceNupPage(PDEV* pdev, int noOutput) {
  NupInputs in = NupInputsOf(pdev);
  pdev->pcl.pageOffset = NupPageOffset(in);
  if (!in.nupWord) return 0;
  if (!noOutput) {
    LONG dpi = LONG(NupDpi(pdev));
    PclMoveToPage(pdev, 0, 0);
    WriteEscape(pdev, "\x1B*c", 't', "0", TRUE);  // picture frame anchored at the cell
    SetGL2Context(pdev, TRUE);
    WriteGL2(pdev, "IP0,0,1016,1016");
    GL2SetScale(pdev, dpi, dpi);
  }
  return 1;
}
