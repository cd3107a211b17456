// Cell origins of logical pages on N-up and booklet sheets, and the bytes
// that re-anchor PCL and HP-GL/2 at a cell.
#include <gtest/gtest.h>

#include "render/vector/nup_page.h"
#include "tests/vector/vector_fixture.h"

namespace kadu_test {
namespace {

// A 3 x 2 grid on a 3000 x 2000 printable area: cells of 1000 x 1000, the
// sheet's printable origin at (10, 20).
NupInputs Grid(DWORD index, DWORD order, BOOL landscapeDoc) {
  NupInputs in{};
  in.nupWord = LAYOUT_NUP | LAYOUT_NUP_TURNED;
  in.index = index;
  in.columns = 3;
  in.rows = 2;
  in.printable = SIZEL{3000, 2000};
  in.order = order;
  in.landscapeDoc = landscapeDoc;
  in.base = POINTL{10, 20};
  return in;
}

struct OrderCase {
  DWORD order;
  BOOL landscapeDoc;
  DWORD index;
  LONG column, row;
};

class NupOrderTable : public ::testing::TestWithParam<OrderCase> {};

TEST_P(NupOrderTable, OrderCodePlacesPage) {
  const OrderCase& c = GetParam();
  POINTL at = NupPageOffset(Grid(c.index, c.order, c.landscapeDoc));
  EXPECT_EQ(at.x, c.column * 1000 + 10);
  EXPECT_EQ(at.y, c.row * 1000 + 20);
}

INSTANTIATE_TEST_SUITE_P(
    Orders, NupOrderTable,
    ::testing::Values(
        // Left to right, then down (code 1 and anything outside the table).
        OrderCase{0x1, FALSE, 0, 0, 0}, OrderCase{0x1, FALSE, 4, 1, 1}, OrderCase{0x3, FALSE, 2, 2, 0},
        OrderCase{0x10000, TRUE, 3, 0, 1},
        // Top to bottom, then left to right.
        OrderCase{0x2, FALSE, 1, 0, 1}, OrderCase{0x2, FALSE, 4, 2, 0}, OrderCase{0x20000, TRUE, 3, 1, 1},
        // Right to left, then down.
        OrderCase{0x4, FALSE, 0, 2, 0}, OrderCase{0x4, FALSE, 4, 1, 1}, OrderCase{0x40000, TRUE, 2, 0, 0},
        // Top to bottom, then right to left.
        OrderCase{0x8, FALSE, 1, 2, 1}, OrderCase{0x8, FALSE, 4, 0, 0}, OrderCase{0x80000, TRUE, 5, 0, 1},
        // The bits of the other orientation do not apply.
        OrderCase{0x40000, FALSE, 0, 0, 0}, OrderCase{0x4, TRUE, 0, 0, 0}));

TEST(NupPlacement, FourUpRightToLeft) {
  // 2 x 2, portrait, order 4: page 0 in column 1 of row 0, 1 in column 0, 2 in column 1 of row 1.
  NupInputs in = Grid(0, 0x4, FALSE);
  in.columns = in.rows = 2;
  in.printable = SIZEL{2000, 3000};
  const LONG expect[3][2] = {{1000, 0}, {0, 0}, {1000, 1500}};
  for (DWORD i = 0; i < 3; ++i) {
    in.index = i;
    POINTL at = NupPageOffset(in);
    EXPECT_EQ(at.x, expect[i][0] + 10) << i;
    EXPECT_EQ(at.y, expect[i][1] + 20) << i;
  }
}

TEST(NupPlacement, ExchangedGridDividesTheOtherWay) {
  NupInputs in = Grid(1, 0x1, FALSE);
  in.columns = 1;
  in.rows = 2;
  in.exchanged = TRUE;  // two columns across a turned sheet
  POINTL at = NupPageOffset(in);
  EXPECT_EQ(at.x, 1500 + 10);
  EXPECT_EQ(at.y, 20);
}

TEST(NupPlacement, OffOrEmptyGridNeverDivides) {
  NupInputs in = Grid(3, 0x1, FALSE);
  in.nupWord = 0;
  POINTL at = NupPageOffset(in);
  EXPECT_EQ(at.x, 10);
  EXPECT_EQ(at.y, 20);
  in.nupWord = LAYOUT_NUP;
  in.columns = in.rows = 0;  // taken as 1 x 1
  in.index = 0;
  at = NupPageOffset(in);
  EXPECT_EQ(at.x, 10);
  EXPECT_EQ(at.y, 20);
}

// Booklets: the sheet's printable area 4000 x 6000, the page 1800 x 2800.
NupInputs Booklet(DWORD index, DWORD flags, BOOL landscapeSheet, LONG rotation, DWORD nupWord) {
  NupInputs in{};
  in.nupWord = nupWord;
  in.index = index;
  in.booklet = TRUE;
  in.bookletFlags = flags;
  in.columns = (flags & 0x20) ? 2 : 1;
  in.rows = 2;
  in.exchanged = landscapeSheet;
  in.printable = landscapeSheet ? SIZEL{6000, 4000} : SIZEL{4000, 6000};
  in.base = POINTL{40, 60};
  in.slot[0] = 100;
  in.slot[1] = 3100;
  in.rotation = rotation;
  in.landscapeSheet = landscapeSheet;
  in.page = SIZEL{1800, 2800};
  return in;
}

struct BookletCase {
  DWORD index, flags;
  BOOL landscapeSheet;
  LONG rotation;
  DWORD nupWord;
  LONG x, y;
};

class BookletTable : public ::testing::TestWithParam<BookletCase> {};

TEST_P(BookletTable, PagePlacedInItsSlot) {
  const BookletCase& c = GetParam();
  POINTL at = NupPageOffset(Booklet(c.index, c.flags, c.landscapeSheet, c.rotation, c.nupWord));
  EXPECT_EQ(at.x, c.x);
  EXPECT_EQ(at.y, c.y);
}

constexpr DWORD kNup = LAYOUT_NUP | LAYOUT_NUP_TURNED;
constexpr DWORD kNupLand = kNup | LAYOUT_NUP_LANDSCAPE;

INSTANTIATE_TEST_SUITE_P(
    Slots, BookletTable,
    ::testing::Values(
        // Two pages on a landscape sheet (cells 3000 x 4000): at the slot across, centred down.
        BookletCase{0, 0, TRUE, 0, kNup, 100, (4000 - 2800) / 2 + 60},
        BookletCase{1, 0, TRUE, 0, kNup, 3100, (4000 - 2800) / 2 + 60},
        BookletCase{0, 0, TRUE, 90, kNup, (3000 - 2800) / 2 + 40, 100},
        // Mirrored: only with landscape pages for two pages a side.
        BookletCase{0, 0x2, TRUE, 0, kNup, 100, 660}, BookletCase{0, 0x2, TRUE, 0, kNupLand, 3100, 660},
        BookletCase{1, 0x2, TRUE, 0, kNupLand, 100, 660},
        // Two pages on a portrait sheet (cells 4000 x 3000).
        BookletCase{1, 0, FALSE, 180, kNup, (4000 - 1800) / 2 + 40, 3100},
        BookletCase{0, 0, FALSE, 270, kNup, 100, (3000 - 1800) / 2 + 60},
        // Four pages on a portrait sheet (cells 2000 x 3000): halves across, slots down.
        BookletCase{0, 0x20, FALSE, 0, LAYOUT_NUP, (2000 - 1800) / 2 + 40 / 2, 100},
        BookletCase{1, 0x20, FALSE, 0, LAYOUT_NUP, 40 * 3 / 2 + (2000 - 1800) / 2 + 2000, 100},
        BookletCase{2, 0x20, FALSE, 0, LAYOUT_NUP, (2000 - 1800) / 2 + 40 / 2, 3100},
        // Mirrored four pages: 3 - i, unless the pages are landscape.
        BookletCase{0, 0x22, FALSE, 0, LAYOUT_NUP, 40 * 3 / 2 + (2000 - 1800) / 2 + 2000, 3100},
        BookletCase{0, 0x22, FALSE, 0, LAYOUT_NUP | LAYOUT_NUP_LANDSCAPE, (2000 - 1800) / 2 + 40 / 2, 100},
        // Four pages sideways on a portrait sheet: centred down with the page width.
        BookletCase{1, 0x20, FALSE, 90, LAYOUT_NUP, 100, 60 * 3 / 2 + (3000 - 1800) / 2 + 3000},
        // Four pages on a landscape sheet (cells 3000 x 2000): centred down with the page height.
        BookletCase{3, 0x20, TRUE, 0, LAYOUT_NUP, 3100, 60 * 3 / 2 + (2000 - 2800) / 2 + 2000},
        BookletCase{0, 0x20, TRUE, 270, LAYOUT_NUP, (3000 - 2800) / 2 + 40 / 2, 100}));

class NupAnchor : public VectorFixture {};

TEST_F(NupAnchor, ActivePageReanchorsAtItsCell) {
  pdev_.layout.nupFlags = LAYOUT_NUP;
  pdev_.layout.nupColumns = pdev_.layout.nupRows = 2;
  pdev_.layout.pageWidth = 4676;
  pdev_.layout.pageHeight = 6816;
  pdev_.layout.pageInSheet = 3;
  pdev_.devmode.priv.dwNupOrder = 0x10001;
  EXPECT_EQ(PlaceNupPage(&pdev_, 0), 1);
  EXPECT_EQ(pdev_.pcl.pageOffset.x, 2338);
  EXPECT_EQ(pdev_.pcl.pageOffset.y, 3408);
  EXPECT_EQ(Out(), E("\e*p2338x3408Y\e*c0T\e%0BIP0,0,1016,1016SC0,600,0,600;"));
  // Without output only the offset moves.
  pdev_.layout.pageInSheet = 1;
  EXPECT_EQ(PlaceNupPage(&pdev_, 1), 1);
  EXPECT_EQ(pdev_.pcl.pageOffset.x, 2338);
  EXPECT_EQ(pdev_.pcl.pageOffset.y, 0);
  EXPECT_EQ(Out(), "");
  ExpectWellFormed();
}

TEST_F(NupAnchor, OffWritesNothingAndUsesTheBaseOffset) {
  pdev_.layout.baseOffset = POINTL{12, 34};
  pdev_.layout.pageInSheet = 2;
  EXPECT_EQ(PlaceNupPage(&pdev_, 0), 0);
  EXPECT_EQ(pdev_.pcl.pageOffset.x, 12);
  EXPECT_EQ(pdev_.pcl.pageOffset.y, 34);
  EXPECT_EQ(Out(), "");
}

}  // namespace
}  // namespace kadu_test
