// Poster grids, turns, extents and the tile printed for each page index.
#include <gtest/gtest.h>

#include "render/core/poster_geometry.h"

namespace {

struct GridCase {
  LONG sheets;
  DWORD customX, customY;
  BOOL landscape;
  DWORD columns, rows;
};

class PosterGridTable : public ::testing::TestWithParam<GridCase> {};

TEST_P(PosterGridTable, SheetCountGivesGrid) {
  const GridCase& c = GetParam();
  PosterGrid g = PosterGridOf(c.sheets, c.customX, c.customY, c.landscape);
  EXPECT_EQ(g.columns, c.columns);
  EXPECT_EQ(g.rows, c.rows);
}

INSTANTIATE_TEST_SUITE_P(
    Counts, PosterGridTable,
    ::testing::Values(GridCase{2, 0, 0, FALSE, 1, 2}, GridCase{2, 0, 0, TRUE, 2, 1}, GridCase{4, 0, 0, FALSE, 2, 2},
                      GridCase{9, 0, 0, TRUE, 3, 3}, GridCase{-1, 3, 2, FALSE, 3, 2},
                      GridCase{-1, 4, 1, TRUE, 4, 1},
                      // A custom grid of 0 along a side prints one tile along it.
                      GridCase{-1, 0, 0, FALSE, 1, 1}, GridCase{-1, 0, 3, FALSE, 1, 3},
                      // Beyond what the dialog offers: kept at 4.
                      GridCase{-1, 0xFFFFFFFF, 7, FALSE, 4, 4},
                      // Unknown sheet counts print as two sheets.
                      GridCase{0, 0, 0, FALSE, 1, 2}, GridCase{16, 0, 0, TRUE, 2, 1}));

TEST(PosterTurn, TwoSheetsAlwaysTurnCustomFollowsTheDirection) {
  EXPECT_TRUE(PosterTurnOf(2, 0, FALSE));
  EXPECT_TRUE(PosterTurnOf(2, 0x2, TRUE));
  EXPECT_FALSE(PosterTurnOf(4, 0, FALSE));
  EXPECT_FALSE(PosterTurnOf(9, 0x2, TRUE));
  EXPECT_TRUE(PosterTurnOf(-1, 0, FALSE));     // portrait page, landscape direction
  EXPECT_FALSE(PosterTurnOf(-1, 0x2, FALSE));  // portrait page, portrait direction
  EXPECT_FALSE(PosterTurnOf(-1, 0, TRUE));
  EXPECT_TRUE(PosterTurnOf(-1, 0x2, TRUE));
}

TEST(PosterExtent, EachJoinGivesUpTheOverlap) {
  EXPECT_EQ(PosterExtent(1, 2338, 51), 2338);
  EXPECT_EQ(PosterExtent(2, 2338, 51), 2 * 2338 - 51);
  EXPECT_EQ(PosterExtent(3, 3408, 51), 3 * 3408 - 2 * 51);
  EXPECT_EQ(PosterExtent(0, 3408, 51), 0);
}

struct TileCase {
  DWORD page, columns, rows;
  DWORD index, row, column;
};

class PosterTileTable : public ::testing::TestWithParam<TileCase> {};

TEST_P(PosterTileTable, PageIndexPicksTile) {
  const TileCase& c = GetParam();
  PosterTile t = PosterTileOfPage(c.page, c.columns, c.rows);
  EXPECT_EQ(t.index, c.index);
  EXPECT_EQ(t.row, c.row);
  EXPECT_EQ(t.column, c.column);
}

INSTANTIATE_TEST_SUITE_P(Pages, PosterTileTable,
                         ::testing::Values(TileCase{0, 2, 2, 0, 0, 0}, TileCase{5, 2, 2, 1, 0, 1},
                                           TileCase{3, 2, 2, 3, 1, 1}, TileCase{7, 3, 3, 7, 2, 1},
                                           TileCase{10, 1, 2, 0, 0, 0}, TileCase{5, 3, 2, 5, 1, 2},
                                           // No grid (0 x 0): every page is its own single tile.
                                           TileCase{6, 0, 0, 0, 0, 0}));

}  // namespace
