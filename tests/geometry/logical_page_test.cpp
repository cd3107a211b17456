// N-up cells, the fitted logical page and the layout scaling factor.
#include <gtest/gtest.h>

#include "render/core/logical_page.h"

namespace {

TEST(NupCell, TwoByTwoAt300DpiHalvesThePrintableArea) {
  SIZEL cell = NupCellOf(2400, 3200, 2, 2, FALSE, FALSE);
  EXPECT_EQ(cell.cx, 1200);
  EXPECT_EQ(cell.cy, 1600);
  SIZEL page = FitLogicalPage(cell, 2400, 3200, FALSE);
  EXPECT_EQ(page.cx, 1200);
  EXPECT_EQ(page.cy, 1600);
}

TEST(NupCell, RotatedSheetDividesTheHeightAcross) {
  // Two pages side by side on a turned sheet: height / rows across, width / columns down.
  SIZEL cell = NupCellOf(4676, 6816, 1, 2, TRUE, FALSE);
  EXPECT_EQ(cell.cx, 3408);
  EXPECT_EQ(cell.cy, 4676);
}

TEST(NupCell, RasterRoundsDownToBytes) {
  SIZEL cell = NupCellOf(4676, 6816, 3, 3, FALSE, TRUE);
  EXPECT_EQ(cell.cx, 1552);  // 1558 rounded down
  EXPECT_EQ(cell.cy, 2272);
}

TEST(NupCell, ZeroGridCountsAsOne) {
  SIZEL cell = NupCellOf(2400, 3200, 0, 0, FALSE, FALSE);
  EXPECT_EQ(cell.cx, 2400);
  EXPECT_EQ(cell.cy, 3200);
}

TEST(FitLogicalPage, KeepsProportionsInsideTheCell) {
  // Portrait A4 printable proportions in a landscape half-sheet cell: the height limits.
  SIZEL page = FitLogicalPage(SIZEL{3408, 4676}, 2338, 3408, FALSE);
  EXPECT_EQ(page.cy, 4676);
  EXPECT_EQ(page.cx, 2338 * 4676 / 3408);
  // A wide cell: the width limits.
  page = FitLogicalPage(SIZEL{1000, 5000}, 2338, 3408, FALSE);
  EXPECT_EQ(page.cx, 1000);
  EXPECT_EQ(page.cy, 3408 * 1000 / 2338);
  // Raster pages round the computed side down to a multiple of 8.
  page = FitLogicalPage(SIZEL{1000, 5000}, 2338, 3408, TRUE);
  EXPECT_EQ(page.cy, (3408 * 1000 / 2338) / 8 * 8);
}

TEST(LayoutScaleFactor, SmallerRatioPerMille) {
  EXPECT_EQ(LayoutScaleFactor(SIZEL{1200, 1600}, SIZEL{2400, 3200}), 500u);
  EXPECT_EQ(LayoutScaleFactor(SIZEL{2400, 2000}, SIZEL{2400, 3200}), 625u);
  EXPECT_EQ(LayoutScaleFactor(SIZEL{4000, 6000}, SIZEL{2000, 3000}), 2000u);
  EXPECT_EQ(LayoutScaleFactor(SIZEL{100, 100}, SIZEL{0, 0}), 100000u);  // never a division by 0
}

}  // namespace
