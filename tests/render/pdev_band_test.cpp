// Band bitmap sizing: the page cut into bands of whole 32-pixel units, and
// more bands when memory runs short.
#include <gtest/gtest.h>

#include <string>

#include "kw/hooks_memory.h"
#include "render/core/band_bitmap.h"

namespace {

struct BandCase {
  LONG cx, cy;
  ULONG count;
  bool doubled;
  LONG width, rows;
};

class BandGeometryTable : public ::testing::TestWithParam<BandCase> {};

TEST_P(BandGeometryTable, Sizes) {
  const BandCase c = GetParam();
  BandGeometry g = BandGeometryFor(SIZEL{c.cx, c.cy}, c.count, c.doubled);
  EXPECT_EQ(g.width, c.width);
  EXPECT_EQ(g.rows, c.rows);
  EXPECT_EQ(g.bytes, (size_t(c.rows) + 1) * size_t(c.width) / 8);
}

INSTANTIATE_TEST_SUITE_P(Pages, BandGeometryTable,
                         ::testing::Values(BandCase{4961, 7016, 1, false, 4992, 7040},   // the A4 page at 600 dpi
                                           BandCase{4961, 7016, 2, false, 4992, 3520},
                                           BandCase{4961, 7016, 3, false, 4992, 2368},   // 2339 rounded up
                                           BandCase{4961, 7016, 8, false, 4992, 896},    // 877 rounded up
                                           BandCase{4961, 7016, 1, true, 4992, 14048},   // 600×2400 doubles the rows
                                           BandCase{32, 32, 1, false, 32, 32},
                                           BandCase{1, 1, 1, false, 32, 32}),
                         [](const ::testing::TestParamInfo<BandCase>& i) {
                           const BandCase& c = i.param;
                           return std::to_string(c.cx) + "x" + std::to_string(c.cy) + "_" + std::to_string(c.count) +
                                  (c.doubled ? "_doubled" : "");
                         });

TEST(BandBitmap, OneBandWhenMemoryAllows) {
  BandBitmap band{};
  ASSERT_TRUE(AllocateBandBitmap(&band, SIZEL{4961, 7016}, false, false));
  EXPECT_EQ(band.count, 1u);
  EXPECT_EQ(band.size.cx, 4992);
  EXPECT_EQ(band.size.cy, 7040);
  EXPECT_EQ(band.bytes, size_t(7041) * 4992 / 8);
  FreeBandMemory(&band);
  EXPECT_EQ(band.bits, nullptr);
}

TEST(BandBitmap, MoreBandsWhenAllocationFails) {
  BandBitmap band{};
  kw::hooks::MemoryFailAt(1);
  ASSERT_TRUE(AllocateBandBitmap(&band, SIZEL{4961, 7016}, false, false));
  kw::hooks::MemoryFailAt(0);
  EXPECT_EQ(band.count, 2u);
  EXPECT_EQ(band.size.cy, 3520);
  FreeBandMemory(&band);
}

TEST(BandBitmap, GivesUpAfterEightBands) {
  BandBitmap band{};
  uint64_t before = kw::hooks::MemoryAllocationCount();
  kw::hooks::MemoryFailAt(1, true);
  EXPECT_FALSE(AllocateBandBitmap(&band, SIZEL{4961, 7016}, false, false));
  kw::hooks::MemoryFailAt(0);
  EXPECT_EQ(kw::hooks::MemoryAllocationCount() - before, kMaxBands);
  EXPECT_EQ(band.bits, nullptr);
}

TEST(BandBitmap, WatermarkAllowsOneTryOnly) {
  BandBitmap band{};
  kw::hooks::MemoryFailAt(1);
  EXPECT_FALSE(AllocateBandBitmap(&band, SIZEL{4961, 7016}, false, true));
  kw::hooks::MemoryFailAt(0);
}

TEST(BandBitmap, SmallBandIsNotCutFurther) {
  BandBitmap band{};
  uint64_t before = kw::hooks::MemoryAllocationCount();
  kw::hooks::MemoryFailAt(1, true);
  EXPECT_FALSE(AllocateBandBitmap(&band, SIZEL{16, 8}, false, false));
  kw::hooks::MemoryFailAt(0);
  EXPECT_EQ(kw::hooks::MemoryAllocationCount() - before, 1u);
}

}  // namespace
