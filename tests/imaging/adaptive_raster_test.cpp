#include "render/imaging/adaptive_raster.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/imaging/raster_capture.h"

namespace kadu_test {
namespace {

using Bytes = std::vector<uint8_t>;

// One page through the adaptive encoder into a captured PCL raster graphic.
struct Page {
  RasterCapture capture;
  Bytes block, seed, work0, work1;
  AdaptiveRaster a;
  DWORD rowLength;
  bool invert;
  std::vector<RasterRow> meant;  // rows as they should print

  explicit Page(DWORD length, DWORD blockSize = 0, bool inverted = false) : rowLength(length), invert(inverted) {
    DWORD work = AdaptiveWorkSize(length);
    block.assign(blockSize ? blockSize : AdaptiveRasterBlockSize(length), 0);
    seed.assign(length, 0);
    work0.assign(work, 0);
    work1.assign(work, 0);
    AdaptiveBuffers b{block.data(), static_cast<DWORD>(block.size()), seed.data(), length,
                      {work0.data(), work1.data()}, work};
    AdaptiveRasterInit(&a, &b, capture.Sink());
    capture.BeginGraphic(length * 8, 0, 5);
    EXPECT_TRUE(AdaptiveRasterStartPage(&a, length, invert));
  }
  void Row(RasterRow r) {
    RasterRow m = r;
    if (invert)
      for (auto& b : m) b = static_cast<uint8_t>(~b);
    meant.push_back(m);
    ASSERT_TRUE(AdaptiveRasterRow(&a, r.data()));
    ASSERT_EQ(r, m);  // inverted in place
  }
  void Rows(const RasterRow& r, size_t n) {
    for (size_t i = 0; i < n; ++i) Row(r);
  }
  void White(size_t n) { Rows(RasterRow(rowLength, invert ? 0xFF : 0), n); }
  void Flush() { ASSERT_TRUE(AdaptiveRasterFlush(&a)); }
  void End() {
    ASSERT_TRUE(AdaptiveRasterEndPage(&a));
    capture.EndGraphic();
  }
  // Prints the same whether the printer keeps its seed row across blocks or not.
  void ExpectPrints() {
    for (bool reset : {false, true}) {
      PclRasterDecode d = capture.Decode(reset);
      EXPECT_TRUE(d.diag.problems.empty()) << testing::PrintToString(d.diag.problems);
      ASSERT_EQ(d.images.size(), 1u);
      EXPECT_TRUE(SameImage(meant, d.images[0].rows)) << (reset ? "seed cleared per block" : "seed kept");
    }
  }
};

// Records of a block: (command, count).
std::vector<std::pair<int, int>> Records(const Bytes& block) {
  std::vector<std::pair<int, int>> r;
  for (size_t i = 0; i + 3 <= block.size();) {
    int count = block[i + 1] << 8 | block[i + 2];
    r.emplace_back(block[i], count);
    i += 3 + (block[i] <= 3 ? count : 0);
  }
  return r;
}

RasterRow Row8(std::initializer_list<uint8_t> head) {
  RasterRow r(8, 0);
  std::copy(head.begin(), head.end(), r.begin());
  return r;
}

TEST(AdaptiveRaster, WorkedExampleWhiteRowsThenARowAndItsRepeat) {
  Page p(8);
  p.White(3);
  p.Rows(Row8({0x80}), 2);
  p.Row(Row8({0x80, 0x40}));
  p.End();
  ASSERT_EQ(p.capture.blocks.size(), 1u);
  // Empty rows 3; the row as a delta against white (2 bytes beat PackBits'
  // 00 80 FF 00); its repeat as a count before the next row; that row as a delta.
  Bytes want = {4, 0, 3, 3, 0, 2, 0x00, 0x80, 5, 0, 1, 3, 0, 2, 0x01, 0x40};
  EXPECT_EQ(p.capture.blocks[0], want);
  p.ExpectPrints();
}

TEST(AdaptiveRaster, PendingRepeatGoesOutWithTheBlock) {
  Page p(8);
  p.Rows(Row8({0x01, 0x02, 0x03}), 2);
  p.End();
  ASSERT_EQ(p.capture.blocks.size(), 1u);
  EXPECT_EQ(Records(p.capture.blocks[0]), (std::vector<std::pair<int, int>>{{3, 4}, {5, 1}}));
  p.ExpectPrints();
}

TEST(AdaptiveRaster, TallRunsOfWhiteAndRepeatedRowsLoseNoRows) {
  Page p(8);
  p.Row(Row8({0xF0}));
  p.White(140000);
  p.Rows(Row8({0x0F}), 70001);
  p.Row(Row8({0x3C}));
  p.End();
  ASSERT_EQ(p.capture.blocks.size(), 1u);
  auto r = Records(p.capture.blocks[0]);
  std::vector<std::pair<int, int>> counts;
  for (auto& rec : r)
    if (rec.first >= 4) counts.push_back(rec);
  std::vector<std::pair<int, int>> want = {{4, 65535}, {4, 65535}, {4, 140000 - 2 * 65535}, {5, 65535},
                                           {5, 70000 - 65535}};
  EXPECT_EQ(counts, want);
  p.ExpectPrints();
}

TEST(AdaptiveRaster, BlocksStayWithinTheBufferAndGoWhenFull) {
  Page p(620);
  for (uint32_t s = 0; s < 300; ++s) p.Row(RandomRow(s, 620, 0.3));
  p.End();
  ASSERT_GT(p.capture.blocks.size(), 3u);
  for (size_t i = 0; i < p.capture.blocks.size(); ++i) {
    EXPECT_LE(p.capture.blocks[i].size(), kAdaptiveRasterBlockSize);
    if (i + 1 < p.capture.blocks.size()) {
      EXPECT_GE(p.capture.blocks[i].size(), kAdaptiveRasterFlushAt);
    }
  }
  p.ExpectPrints();
}

TEST(AdaptiveRaster, RowThatDoesNotFitSendsTheBlockFirstWithItsRepeats) {
  Page p(5000);
  for (uint32_t s = 0; s < 6; ++s) p.Rows(RandomRow(s, 5000), 3);
  p.End();
  ASSERT_GT(p.capture.blocks.size(), 1u);
  for (const auto& b : p.capture.blocks) {
    auto r = Records(b);
    EXPECT_NE(r.front().first, 5) << "a repeat count left its row's block";
  }
  p.ExpectPrints();
}

// After every block the printer's seed may be white or the block's last row:
// the first row of the next block never leans on it.
TEST(AdaptiveRaster, FirstRowAfterAFlushDoesNotUseTheSeed) {
  Page p(64);
  RasterRow row = RandomRow(9, 64);
  for (int band = 0; band < 4; ++band) {
    for (int i = 0; i < 10; ++i) {
      row[(band * 10 + i) % 64] ^= 0x10;  // each row one byte off the last: deltas win
      p.Row(row);
    }
    p.Flush();
  }
  p.End();
  ASSERT_EQ(p.capture.blocks.size(), 4u);
  for (const auto& b : p.capture.blocks) {
    auto r = Records(b);
    EXPECT_EQ(r[0].first, 2);
    EXPECT_EQ(r[1].first, 3);
  }
  p.ExpectPrints();
}

TEST(AdaptiveRaster, WhiteRowsInsideThePageKeepTheirPlaceAcrossFlushes) {
  Page p(16);
  p.Row(RandomRow(1, 16));
  p.Flush();
  p.White(50);  // a whole white band
  p.Flush();
  p.White(7);
  p.Row(RandomRow(2, 16));
  p.White(3);
  p.Row(RandomRow(3, 16));
  p.End();
  p.ExpectPrints();
  EXPECT_EQ(p.capture.Decode(false).images[0].rows.size(), 63u);
}

TEST(AdaptiveRaster, WhiteRowsAtTheFootAreDroppedAndAWhitePageSendsNothing) {
  Page p(16);
  p.Row(RandomRow(1, 16));
  p.White(1000);
  p.End();
  EXPECT_EQ(p.capture.blocks.size(), 1u);
  EXPECT_EQ(p.capture.Decode(false).images[0].rows.size(), 1u);
  p.ExpectPrints();

  Page white(16);
  white.White(5000);
  white.Flush();
  white.End();
  EXPECT_TRUE(white.capture.blocks.empty());
}

TEST(AdaptiveRaster, InvertedPageIsInvertedBeforeItIsLookedAt) {
  Page p(12, 0, true);
  p.Row(RasterRow(12, 0xFF));  // white once inverted
  p.Row(RandomRow(4, 12, 0.5));
  p.Rows(RasterRow(12, 0x00), 2);  // black
  p.End();
  EXPECT_EQ(Records(p.capture.blocks[0]).front(), std::make_pair(4, 1));
  p.ExpectPrints();
}

TEST(AdaptiveRaster, RepeatsAtTheEdgeOfATinyBlock) {
  // Room for one PackBits row record and one count: reaching 65535 repeats
  // fills the block, which goes at once; the next repeat starts the next block
  // as a row of its own.
  Page p(8, 18);
  p.Row(Row8({9}));
  p.Flush();
  p.Rows(Row8({1, 2, 3, 4, 5, 6, 7, 8}), 65536 + 5);
  p.Row(Row8({8, 7}));
  p.End();
  ASSERT_GE(p.capture.blocks.size(), 3u);
  EXPECT_EQ(Records(p.capture.blocks[1]), (std::vector<std::pair<int, int>>{{2, 11}, {5, 65535}}));
  EXPECT_EQ(Records(p.capture.blocks[2]), (std::vector<std::pair<int, int>>{{2, 11}, {5, 4}}));
  for (const auto& b : p.capture.blocks) EXPECT_LE(b.size(), 18u);
  p.ExpectPrints();
}

TEST(AdaptiveRaster, TextLikePagesInBandsPrintExactly) {
  for (DWORD width : {1u, 7u, 129u, 257u, 620u}) {
    Page p(width);
    auto rows = TextLikePage(width, 700, width);
    for (size_t y = 0; y < rows.size(); ++y) {
      p.Row(rows[y]);
      if (y % 64 == 63) p.Flush();
    }
    p.End();
    p.ExpectPrints();
  }
}

TEST(AdaptiveRaster, FailedOutputIsReported) {
  Page p(64);
  p.capture.failAfter = 0;
  for (uint32_t s = 0; s < 10; ++s) {
    RasterRow r = RandomRow(s, 64);
    ASSERT_TRUE(AdaptiveRasterRow(&p.a, r.data()));
  }
  EXPECT_FALSE(AdaptiveRasterFlush(&p.a));
  EXPECT_TRUE(p.capture.blocks.empty());
}

TEST(AdaptiveRaster, BuffersTooSmallForTheRowsAreRefused) {
  Page p(64);
  SetLastError(0);
  EXPECT_FALSE(AdaptiveRasterStartPage(&p.a, 65, FALSE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_TRUE(AdaptiveRasterStartPage(&p.a, 32, FALSE));  // a halved page fits
}

}  // namespace
}  // namespace kadu_test
