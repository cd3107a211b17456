// The paper geometry of PDEVs enabled through the engine's entry point for
// the shipped models: papers x orientation x rendering mode x N-up x poster.
#include <algorithm>

#include "common/model_store.h"
#include "render/core/page_geometry.h"
#include "render/core/pdev_lifecycle.h"
#include "render/core/poster_geometry.h"
#include "tests/render/pdev_fixture.h"

namespace kadu_test {
namespace {

// Printable words of the shipped paper table (dots at 300 dpi): size, then
// portrait and landscape printable width, length and edge allowance.
struct PaperWords {
  short code;
  LONG width, length;
  LONG portW, portL, landW, landL, allowance;
};
constexpr PaperWords kA4{DMPAPER_A4, 2480, 3508, 2338, 3408, 3390, 2380, 50};
constexpr PaperWords kLetter{DMPAPER_LETTER, 2550, 3300, 2400, 3200, 3180, 2450, 50};
constexpr PaperWords kA3{DMPAPER_A3, 3508, 4961, 3366, 4861, 4843, 3408, 50};

struct GeometryCase {
  const char16_t* printer;
  PaperWords paper;
  BOOL landscape;
  BOOL raster;
  DWORD multipage;  // dwMultipage: 0 none, 1 2-up, 2 4-up, 5 9-up
  DWORD enlarge;    // poster: 0 none, else dwEnlarge + 1 (1: 2 sheets, 2: 4, 3: 9)
};

LONG Px(LONG dots, DWORD r) { return LONG(int64_t(dots) * r / 300); }

class PaperGeometry : public PdevWorld, public ::testing::WithParamInterface<GeometryCase> {
 protected:
  void TearDown() override {
    if (pdev_) ImplDisablePDEV(reinterpret_cast<DHPDEV>(pdev_));
    if (h_) ClosePrinter(h_);
    PdevWorld::TearDown();
  }
  void EnableCase(const GeometryCase& c) {
    h_ = Open(c.printer);
    kadu::DriverDevmode dm = WithMode(c.printer, c.raster);
    dm.dm.dmFields |= DM_ORIENTATION | DM_PAPERSIZE;
    dm.dm.dmOrientation = c.landscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
    dm.dm.dmPaperSize = c.paper.code;
    dm.priv.dwMultipage = c.multipage;
    dm.priv.dwFinishingMode = c.enlarge ? 2 : 0;
    dm.priv.dwEnlarge = c.enlarge ? c.enlarge - 1 : 0;
    dm.priv.dwPosterFlags = 0;
    e_ = Enable(c.printer, &dm, h_);
    pdev_ = e_.pdev;
  }
  HANDLE h_ = nullptr;
  EnabledPdev e_;
  PDEV* pdev_ = nullptr;
};

TEST_P(PaperGeometry, PagesFollowThePaperTable) {
  const GeometryCase c = GetParam();
  EnableCase(c);
  ASSERT_NE(pdev_, nullptr) << GetLastError();
  const PageLayout& l = pdev_->layout;
  const DWORD r = pdev_->devmode.dm.dmYResolution;
  const DWORD grid[7][2] = {{1, 1}, {1, 2}, {2, 2}, {2, 3}, {2, 4}, {3, 3}, {4, 4}};
  const DWORD cols = c.enlarge ? 1 : grid[c.multipage][0], rows = c.enlarge ? 1 : grid[c.multipage][1];
  const bool nup = cols * rows > 1;
  const bool rotated = (c.landscape != FALSE) != (cols != rows);
  EXPECT_EQ(l.rotated, rotated ? TRUE : FALSE);
  EXPECT_EQ(l.nupFlags != 0, nup);
  if (nup) {
    EXPECT_EQ((l.nupFlags & LAYOUT_NUP_LANDSCAPE) != 0, c.landscape != FALSE);
  }

  // The printable page as rendered.
  const LONG printW = Px(rotated ? c.paper.landW : c.paper.portW, r);
  const LONG printH = Px(rotated ? c.paper.landL : c.paper.portL, r);
  LONG pw = printW, ph = printH;
  if (c.raster) {
    LONG step = LONG(8 * std::max<DWORD>(r / 300, 1));
    pw = pw / step * step;
    ph = ph / step * step;
  }
  EXPECT_EQ(l.pageWidth, pw);
  EXPECT_EQ(l.pageHeight, ph);
  EXPECT_EQ(l.sheetSize.cx, Px(c.paper.width, r));
  EXPECT_EQ(l.sheetSize.cy, Px(c.paper.length, r));
  EXPECT_EQ(pdev_->paper.printWidth, rotated ? c.paper.landW : c.paper.portW);
  EXPECT_EQ(pdev_->paper.physWidth, rotated ? c.paper.length : c.paper.width);

  // The logical page fits where it must, and is what the engine reports.
  const SIZEL L = l.logicalPage;
  EXPECT_GT(L.cx, 0);
  EXPECT_GT(L.cy, 0);
  EXPECT_EQ(pdev_->pageSize.cx, L.cx);
  EXPECT_EQ(pdev_->pageSize.cy, L.cy);
  if (nup) {
    EXPECT_LE(L.cx, l.nupCell.cx);
    EXPECT_LE(L.cy, l.nupCell.cy);
    EXPECT_TRUE(L.cx == l.nupCell.cx || L.cy == l.nupCell.cy);
    // The cells fill the printable area as rendered, less at most a byte each in raster mode.
    const LONG across = LONG(rotated ? rows : cols), down = LONG(rotated ? cols : rows);
    EXPECT_EQ(l.nupCell.cx, c.raster ? printW / across / 8 * 8 : printW / across);
    EXPECT_EQ(l.nupCell.cy, c.raster ? printH / down / 8 * 8 : printH / down);
  } else if (!c.enlarge) {
    EXPECT_LE(L.cx, pw);
    EXPECT_LE(L.cy, ph);
    if (c.raster) {
      EXPECT_TRUE(L.cx == pw && L.cy == ph);
    }
  }
  if (c.raster) {
    EXPECT_EQ(L.cx % 8, 0);
    EXPECT_EQ(L.cy % 8, 0);
  }
  const bool driverScales = (pdev_->devmode.priv.wDetailFlags & 0x1) != 0;
  const SIZEL engine = driverScales ? SIZEL{pw, ph} : L;
  EXPECT_EQ(LONG(e_.gdi.ulHorzRes), engine.cx);
  EXPECT_EQ(LONG(e_.gdi.ulVertRes), engine.cy);
  if (!driverScales) {
    EXPECT_EQ(pdev_->scaleFactor, 1000u);
  }

  // Posters.
  if (c.enlarge) {
    const LONG sheets[] = {0, 2, 4, 9};
    PosterGrid g = PosterGridOf(sheets[c.enlarge], 0, 0, c.landscape);
    EXPECT_EQ(l.posterColumns, g.columns);
    EXPECT_EQ(l.posterRows, g.rows);
    const bool turn = sheets[c.enlarge] == 2;
    EXPECT_EQ(l.posterTurn, turn ? TRUE : FALSE);
    const bool tileLandscape = (c.landscape != FALSE) != turn;
    const LONG tw = tileLandscape ? c.paper.landW : c.paper.portW, tl = tileLandscape ? c.paper.landL : c.paper.portL;
    const LONG join = 1 + c.paper.allowance;  // no overlap option: one dot
    EXPECT_EQ(l.posterLogical.cx, Px(LONG(g.columns) * tw - LONG(g.columns - 1) * join, r));
    EXPECT_EQ(l.posterLogical.cy, Px(LONG(g.rows) * tl - LONG(g.rows - 1) * join, r));
    EXPECT_EQ(l.posterOverlap, Px(1, r));
    if (!c.raster) {
      EXPECT_TRUE(driverScales);
      EXPECT_EQ(L.cx, l.posterLogical.cx);
      EXPECT_EQ(L.cy, l.posterLogical.cy);
      EXPECT_GT(pdev_->scaleFactor, 1000u);
    } else {
      EXPECT_LE(L.cx, l.posterLogical.cx);
      EXPECT_LE(L.cy, l.posterLogical.cy);
    }
  } else {
    EXPECT_EQ(l.posterColumns, 0u);
  }
}

std::vector<GeometryCase> Cases() {
  std::vector<GeometryCase> out;
  struct ModelPapers {
    const char16_t* printer;
    std::vector<PaperWords> papers;
  };
  const ModelPapers models[] = {{kDesk, {kA4, kLetter}}, {kOffice, {kA4, kA3}}, {kJapan, {kA4}}};
  for (const ModelPapers& m : models)
    for (const PaperWords& p : m.papers)
      for (BOOL landscape : {FALSE, TRUE})
        for (BOOL raster : {FALSE, TRUE}) {
          for (DWORD multipage : {0u, 1u, 2u, 5u}) out.push_back({m.printer, p, landscape, raster, multipage, 0});
          for (DWORD enlarge : {1u, 2u, 3u}) out.push_back({m.printer, p, landscape, raster, 0, enlarge});
        }
  return out;
}

INSTANTIATE_TEST_SUITE_P(Models, PaperGeometry, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<GeometryCase>& i) {
                           const GeometryCase& c = i.param;
                           std::string name = kw::Narrow(c.printer);
                           name = name.substr(0, name.find(' '));
                           name += "Paper" + std::to_string(c.paper.code);
                           name += c.landscape ? "Land" : "Port";
                           name += c.raster ? "Raster" : "Device";
                           if (c.multipage) name += "Nup" + std::to_string(c.multipage);
                           if (c.enlarge) name += "Poster" + std::to_string(c.enlarge);
                           return name;
                         });

class PaperGeometryEdges : public PaperGeometry {};

TEST_F(PaperGeometryEdges, FourSheetA4PosterSpansTwoTilesLessOneOverlap) {
  EnableCase({kDesk, kA4, FALSE, FALSE, 0, 2});
  ASSERT_NE(pdev_, nullptr);
  const DWORD r = pdev_->devmode.dm.dmYResolution;
  EXPECT_EQ(pdev_->layout.posterLogical.cx, Px(2 * 2338 - 51, r));
  EXPECT_EQ(pdev_->layout.posterLogical.cy, Px(2 * 3408 - 51, r));
  // Page index 5 prints tile 1: first row, second column, one tile less one join to the right.
  pdev_->layout.pageIndex = 5;
  PosterTile t = CurrentPosterTile(pdev_);
  EXPECT_EQ(t.index, 1u);
  EXPECT_EQ(t.row, 0u);
  EXPECT_EQ(t.column, 1u);
  POINTL o = PosterTileOrigin(pdev_, t);
  EXPECT_EQ(o.x, Px(2338, r) - Px(51, r));
  EXPECT_EQ(o.y, 0);
}

TEST_F(PaperGeometryEdges, PosterOverlapOptionWidensTheJoin) {
  h_ = Open(kDesk);
  kadu::DriverDevmode dm = WithMode(kDesk, false);
  dm.priv.dwFinishingMode = 2;
  dm.priv.dwEnlarge = 1;        // 4 sheets
  dm.priv.dwPosterFlags = 0x8;  // overlap
  dm.priv.dwOverlapWidth = 100;  // 10 mm: 118 dots
  dm.dm.dmPaperSize = DMPAPER_A4;
  e_ = Enable(kDesk, &dm, h_);
  pdev_ = e_.pdev;
  ASSERT_NE(pdev_, nullptr);
  const DWORD r = pdev_->devmode.dm.dmYResolution;
  EXPECT_EQ(pdev_->layout.posterOverlap, Px(118, r));
  EXPECT_EQ(pdev_->layout.posterLogical.cx, Px(2 * 2338 - 168, r));
}

TEST_F(PaperGeometryEdges, LetterTwoByTwoAt300DpiDeviceMode) {
  h_ = Open(kOffice);
  kadu::DriverDevmode dm = WithMode(kOffice, false);
  dm.dm.dmPaperSize = DMPAPER_LETTER;
  dm.dm.dmPrintQuality = -1;  // DMRES_DRAFT: 300 dpi on the office model
  dm.dm.dmFields |= DM_PRINTQUALITY;
  dm.priv.dwMultipage = 2;
  e_ = Enable(kOffice, &dm, h_);
  pdev_ = e_.pdev;
  ASSERT_NE(pdev_, nullptr);
  ASSERT_EQ(pdev_->devmode.dm.dmYResolution, 300);
  EXPECT_EQ(pdev_->layout.nupCell.cx, 1200);
  EXPECT_EQ(pdev_->layout.nupCell.cy, 1600);
  EXPECT_EQ(pdev_->layout.logicalPage.cx, 1200);
  EXPECT_EQ(pdev_->layout.logicalPage.cy, 1600);
  EXPECT_EQ(e_.gdi.ulHorzRes, 1200u);
  EXPECT_EQ(e_.gdi.ulVertRes, 1600u);
}

TEST_F(PaperGeometryEdges, DeviceModePageKeepsThePaperProportions) {
  h_ = Open(kDesk);
  kadu::DriverDevmode dm = WithMode(kDesk, false);
  dm.dm.dmPaperSize = DMPAPER_LETTER;
  e_ = Enable(kDesk, &dm, h_);
  pdev_ = e_.pdev;
  ASSERT_NE(pdev_, nullptr);
  const DWORD r = pdev_->devmode.dm.dmYResolution;
  // 2550 x 3300 into 2400 x 3200: the width limits.
  EXPECT_EQ(pdev_->layout.logicalPage.cx, Px(2400, r));
  EXPECT_EQ(pdev_->layout.logicalPage.cy, LONG(int64_t(3300) * Px(2400, r) / 2550));
}

TEST_F(PaperGeometryEdges, BookletTurnsTheSheetAndSetsSlots) {
  h_ = Open(kDesk);
  kadu::DriverDevmode dm = WithMode(kDesk, false);
  dm.dm.dmPaperSize = DMPAPER_A4;
  dm.priv.dwFinishingMode = 1;
  dm.priv.wDeviceOptions |= 0x8;
  e_ = Enable(kDesk, &dm, h_);
  pdev_ = e_.pdev;
  ASSERT_NE(pdev_, nullptr);
  ASSERT_EQ(pdev_->devmode.priv.dwFinishingMode, 1u);
  const PageLayout& l = pdev_->layout;
  const DWORD r = pdev_->devmode.dm.dmYResolution;
  EXPECT_EQ(pdev_->devmode.dm.dmDuplex, DMDUP_VERTICAL);
  EXPECT_EQ(l.nupColumns, 1u);
  EXPECT_EQ(l.nupRows, 2u);
  EXPECT_TRUE(l.rotated);
  EXPECT_TRUE(l.layoutFlags & LAYOUT_GRID_EXCHANGED);
  const LONG h = Px(3408, r), e = l.logicalPage.cx, b = (h - 2 * e) >> 1;
  EXPECT_EQ(l.bookletSlot[0], b >> 1);
  EXPECT_EQ(l.bookletSlot[1], (h >> 1) + (b >> 1));
}

TEST_F(PaperGeometryEdges, CustomSizeComesFromTheJob) {
  h_ = Open(kOffice);
  kadu::DriverDevmode dm = WithMode(kOffice, true);
  dm.dm.dmPaperSize = 263;  // custom size, millimetres
  dm.dm.dmPaperWidth = 1500;   // 150 mm: 1771 dots
  dm.dm.dmPaperLength = 2000;  // 200 mm: 2362 dots
  dm.dm.dmFields |= DM_PAPERWIDTH | DM_PAPERLENGTH;
  e_ = Enable(kOffice, &dm, h_);
  pdev_ = e_.pdev;
  ASSERT_NE(pdev_, nullptr);
  ASSERT_EQ(pdev_->devmode.dm.dmPaperSize, 263);
  ASSERT_EQ(pdev_->devmode.dm.dmPaperWidth, 1500);
  EXPECT_EQ(pdev_->paper.physWidth, 1771);
  EXPECT_EQ(pdev_->paper.physHeight, 2362);
  EXPECT_EQ(pdev_->paper.printWidth, 1771 - 100);
  EXPECT_EQ(pdev_->paper.printHeight, 2362 - 100);
}

TEST_F(PaperGeometryEdges, PaperRecordsOfTheModel) {
  const kadu::ModelRecord* desk = kadu::FindModelRecord(kDeskDriver);
  ASSERT_NE(desk, nullptr);
  kadu::PaperRecord rec{};
  ASSERT_TRUE(ResolvePaperRecord(desk->info, DMPAPER_A4, 0, 0, &rec));
  EXPECT_EQ(rec.widthDots, 2480);
  EXPECT_EQ(rec.landscape[kadu::kPrintableWidth], 3390);
  // The desk model lists no inch custom size: the millimetre one prints it.
  ASSERT_TRUE(ResolvePaperRecord(desk->info, kPaperCustomInch, 2159, 2794, &rec));
  EXPECT_EQ(rec.widthDots, 2159 * 300 / 254);
  EXPECT_EQ(rec.portrait[kadu::kPrintableLength], 2794 * 300 / 254 - 100);
  // A custom size with no printable area, and a paper the model does not know.
  EXPECT_FALSE(ResolvePaperRecord(desk->info, kPaperCustomMm, 0, 2794, &rec));
  EXPECT_FALSE(ResolvePaperRecord(desk->info, kPaperCustomMm, 80, 80, &rec));
  EXPECT_FALSE(ResolvePaperRecord(desk->info, DMPAPER_A3, 0, 0, &rec));
}

TEST_F(PaperGeometryEdges, TurnedRecordDescribesTheRotatedSheet) {
  const kadu::ModelRecord* desk = kadu::FindModelRecord(kDeskDriver);
  ASSERT_NE(desk, nullptr);
  kadu::PaperRecord rec{};
  ASSERT_TRUE(ResolvePaperRecord(desk->info, DMPAPER_A4, 0, 0, &rec));
  TurnPaperRecord(&rec);
  EXPECT_EQ(rec.widthDots, 3508);
  EXPECT_EQ(rec.lengthDots, 2480);
  EXPECT_EQ(rec.portrait[kadu::kPrintableWidth], 3390);
  EXPECT_EQ(rec.landscape[kadu::kPrintableWidth], 2338);
}

}  // namespace
}  // namespace kadu_test
