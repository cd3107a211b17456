// Every packer on rows of the lengths where the codings change their form
// (runs and literals of 127/128/129 bytes, rows of 255..260 bytes), with rows
// that are random, sparse, runs of one byte, and copies of the row above with a
// few bytes changed, all decoded again by the independent decoder.
#include <gtest/gtest.h>

#include <vector>

#include "render/imaging/adaptive_image.h"
#include "render/imaging/adaptive_raster.h"
#include "render/imaging/predictive_raster.h"
#include "tests/imaging/raster_capture.h"

namespace kadu_test {
namespace {

using Bytes = std::vector<uint8_t>;

std::vector<RasterRow> MixedRows(size_t length, uint32_t seed) {
  std::vector<RasterRow> rows;
  RasterRow last(length, 0);
  for (uint32_t i = 0; i < 60; ++i) {
    RasterRow r;
    switch (i % 6) {
      case 0: r = RandomRow(seed + i, length); break;
      case 1: r = RandomRow(seed + i, length, 0.05); break;
      case 2: r.assign(length, static_cast<uint8_t>(i)); break;
      case 3: r = last; break;
      case 4:
        r = last;
        for (size_t k = i; k < length; k += 29 + i) r[k] ^= 0x5A;
        break;
      default: r.assign(length, 0); break;
    }
    rows.push_back(r);
    last = r;
  }
  return rows;
}

class PackerLengths : public ::testing::TestWithParam<DWORD> {};

TEST_P(PackerLengths, AdaptivePage) {
  DWORD n = GetParam();
  DWORD work = AdaptiveWorkSize(n);
  Bytes block(AdaptiveRasterBlockSize(n)), seed(n), w0(work), w1(work);
  RasterCapture c;
  AdaptiveBuffers b{block.data(), DWORD(block.size()), seed.data(), n, {w0.data(), w1.data()}, work};
  AdaptiveRaster a;
  AdaptiveRasterInit(&a, &b, c.Sink());
  c.BeginGraphic(n * 8, 0, 5);
  ASSERT_TRUE(AdaptiveRasterStartPage(&a, n, FALSE));
  auto rows = MixedRows(n, n);
  for (size_t y = 0; y < rows.size(); ++y) {
    RasterRow r = rows[y];
    ASSERT_TRUE(AdaptiveRasterRow(&a, r.data()));
    if (y % 17 == 16) {
      ASSERT_TRUE(AdaptiveRasterFlush(&a));
    }
  }
  ASSERT_TRUE(AdaptiveRasterEndPage(&a));
  c.EndGraphic();
  for (bool reset : {false, true}) {
    PclRasterDecode d = c.Decode(reset);
    EXPECT_TRUE(d.diag.problems.empty());
    ASSERT_EQ(d.images.size(), 1u);
    EXPECT_TRUE(SameImage(rows, d.images[0].rows));
  }
}

TEST_P(PackerLengths, AdaptiveImage) {
  DWORD n = GetParam();
  Bytes block(AdaptiveImageBlockSize(n)), seed(n), w0(n), w1(n);
  RasterCapture c;
  AdaptiveBuffers b{block.data(), DWORD(block.size()), seed.data(), n, {w0.data(), w1.data()}, n};
  AdaptiveImage a;
  AdaptiveImageInit(&a, &b, c.Sink());
  c.BeginGraphic(n * 8, 0, 5);
  ASSERT_TRUE(AdaptiveImageStart(&a, n));
  auto rows = MixedRows(n, n + 1);
  for (const auto& r : rows) ASSERT_TRUE(AdaptiveImageRow(&a, r.data()));
  ASSERT_TRUE(AdaptiveImageFlush(&a));
  c.EndGraphic();
  for (bool reset : {false, true}) {
    PclRasterDecode d = c.Decode(reset);
    EXPECT_TRUE(d.diag.problems.empty());
    ASSERT_EQ(d.images.size(), 1u);
    EXPECT_EQ(d.images[0].rows, rows);
  }
}

TEST_P(PackerLengths, Predictive) {
  DWORD n = GetParam();
  Bytes block(PredictiveBlockSize(n, 7)), previous(n);
  RasterCapture c;
  PredictiveRaster r;
  PredictiveRasterInit(&r, block.data(), DWORD(block.size()), previous.data(), n, c.Sink());
  c.BeginGraphic(n * 8, 7, 131);
  ASSERT_TRUE(PredictiveRasterStartPage(&r, n, 7));
  auto rows = MixedRows(n, n + 2);
  for (const auto& row : rows) ASSERT_TRUE(PredictiveRow(&r, row.data()));
  ASSERT_TRUE(PredictiveRasterEndPage(&r));
  c.EndGraphic();
  PclRasterDecode d = c.Decode(false);
  EXPECT_TRUE(d.diag.problems.empty()) << testing::PrintToString(d.diag.problems);
  ASSERT_EQ(d.images.size(), 1u);
  EXPECT_TRUE(SameImage(rows, d.images[0].rows));
}

INSTANTIATE_TEST_SUITE_P(Boundaries, PackerLengths,
                         ::testing::Values(1u, 2u, 8u, 127u, 128u, 129u, 255u, 256u, 257u, 258u, 259u, 260u, 1000u));

}  // namespace
}  // namespace kadu_test
