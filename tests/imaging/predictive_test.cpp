#include <gtest/gtest.h>

#include <vector>

#include "render/imaging/predictive_coder.h"
#include "render/imaging/predictive_raster.h"
#include "tests/imaging/raster_capture.h"

namespace kadu_test {
namespace {

using Bytes = std::vector<uint8_t>;

// The coding of `row` as the first row of a block.
Bytes FirstRow(const Bytes& row) {
  PredictiveCoder c;
  PredictiveCoderReset(&c);
  Bytes previous(row.size(), 0);
  Bytes out(PredictiveRowBound(static_cast<DWORD>(row.size())) + 8);
  INT n = PredictiveEncodeRow(&c, row.data(), previous.data(), static_cast<DWORD>(row.size()), out.data(),
                              static_cast<DWORD>(out.size()));
  EXPECT_GE(n, 0);
  out.resize(n < 0 ? 0 : n);
  return out;
}

Bytes Cat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST(PredictiveCoder, WorkedExamples) {
  EXPECT_EQ(FirstRow({0x00, 0x00, 0xFF, 0x00}), (Bytes{0x22, 0xFF, 0x00}));
  EXPECT_EQ(FirstRow({0x00, 0x00, 0x00, 0x00}), (Bytes{0x03, 0x00}));
}

TEST(PredictiveCoder, MatchCountsAroundTheCommandAndExtensionLimits) {
  struct Case {
    size_t matches;
    Bytes head;
  } cases[] = {
      {0, {0x00}},         {30, {0x1E}},        {31, {0x1F, 0x00}},           {32, {0x1F, 0x01}},
      {285, {0x1F, 0xFE}}, {286, {0x1F, 0xFF, 0x00}}, {541, {0x1F, 0xFF, 0xFF, 0x00}},
  };
  for (const auto& c : cases) {
    // White bytes are foreseen by the cleared model; the black one is not.
    Bytes row(c.matches, 0);
    row.push_back(0xFF);
    EXPECT_EQ(FirstRow(row), Cat(c.head, {0xFF})) << c.matches;
    // A row ending in matches turns its last match into a literal.
    Bytes white(c.matches + 1, 0);
    EXPECT_EQ(FirstRow(white), Cat(c.head, {0x00})) << c.matches;
  }
}

TEST(PredictiveCoder, CommandsHoldEightLiterals) {
  // Each byte differs from what the model foresees after learning the last.
  Bytes row = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99};
  Bytes want = Cat({0xE0}, Bytes(row.begin(), row.begin() + 8));
  want = Cat(want, {0x00, 0x99});
  EXPECT_EQ(FirstRow(row), want);
}

TEST(PredictiveCoder, RowsCanCodeLongerThanTheyAreButWithinTheBound) {
  std::vector<Bytes> rows;
  for (DWORD n : {1u, 8u, 9u, 63u, 64u, 65u, 620u, 4961u}) {
    rows.push_back(RandomRow(n, n));
    Bytes ramp(n);
    for (DWORD i = 0; i < n; ++i) ramp[i] = static_cast<uint8_t>(i * 37 + 1);
    rows.push_back(ramp);
  }
  bool longer = false;
  for (const auto& row : rows) {
    Bytes coded = FirstRow(row);
    EXPECT_LE(coded.size(), PredictiveRowBound(static_cast<DWORD>(row.size())));
    longer = longer || coded.size() > row.size();
  }
  EXPECT_TRUE(longer);
}

TEST(PredictiveCoder, RowThatDoesNotFitLeavesTheModelAsItWas) {
  Bytes previous(64, 0);
  Bytes first = RandomRow(1, 64);
  Bytes second = RandomRow(2, 64);
  PredictiveCoder a, b;
  PredictiveCoderReset(&a);
  PredictiveCoderReset(&b);
  Bytes out(200), out2(200);
  ASSERT_EQ(PredictiveEncodeRow(&a, first.data(), previous.data(), 64, out.data(), 10), -1);
  INT n = PredictiveEncodeRow(&a, first.data(), previous.data(), 64, out.data(), 200);
  INT m = PredictiveEncodeRow(&b, first.data(), previous.data(), 64, out2.data(), 200);
  ASSERT_EQ(n, m);
  EXPECT_TRUE(std::equal(out.begin(), out.begin() + n, out2.begin()));
  n = PredictiveEncodeRow(&a, second.data(), first.data(), 64, out.data(), 200);
  m = PredictiveEncodeRow(&b, second.data(), first.data(), 64, out2.data(), 200);
  ASSERT_EQ(n, m);
  EXPECT_TRUE(std::equal(out.begin(), out.begin() + n, out2.begin()));
}

// A page through the block packer into a captured method-131 graphic.
struct Page {
  RasterCapture capture;
  Bytes block, previous;
  PredictiveRaster r;
  DWORD rowLength, rowsPerBlock, size;
  std::vector<RasterRow> meant;

  Page(DWORD length, DWORD rows) : rowLength(length), rowsPerBlock(rows) {
    size = PredictiveBlockSize(length, rows);
    block.assign(size + 64, 0xEE);
    previous.assign(length, 0);
    PredictiveRasterInit(&r, block.data(), size, previous.data(), length, capture.Sink());
    capture.BeginGraphic(length * 8, rows, 131);
    EXPECT_TRUE(PredictiveRasterStartPage(&r, length, rows));
  }
  void Row(const RasterRow& row) {
    meant.push_back(row);
    ASSERT_TRUE(PredictiveRow(&r, row.data()));
  }
  void White(size_t n) {
    for (size_t i = 0; i < n; ++i) {
      meant.push_back(RasterRow(rowLength, 0));
      ASSERT_TRUE(PredictiveRow(&r, i % 2 ? nullptr : meant.back().data()));
    }
  }
  void End() {
    ASSERT_TRUE(PredictiveRasterEndPage(&r));
    capture.EndGraphic();
  }
  std::vector<RasterRow> ExpectPrints() {
    for (size_t i = size; i < block.size(); ++i) EXPECT_EQ(block[i], 0xEE);
    PclRasterDecode d = capture.Decode(false);
    EXPECT_TRUE(d.diag.problems.empty()) << testing::PrintToString(d.diag.problems);  // includes rows per block
    if (d.images.size() != 1) {
      ADD_FAILURE() << d.images.size() << " graphics";
      return {};
    }
    EXPECT_EQ(d.images[0].rows.size() % rowsPerBlock, 0u);
    EXPECT_TRUE(SameImage(meant, d.images[0].rows));
    return d.images[0].rows;
  }
};

TEST(PredictiveRaster, PagesPrintExactly) {
  for (DWORD width : {1u, 9u, 64u, 257u, 620u}) {
    Page p(width, 64);
    for (const auto& row : TextLikePage(width, 500, width + 1)) p.Row(row);
    for (uint32_t s = 0; s < 40; ++s) p.Row(RandomRow(s, width, (s % 5) / 4.0));
    p.End();
    p.ExpectPrints();
  }
}

TEST(PredictiveRaster, EveryBlockDecodesByItself) {
  Page p(100, 16);
  auto rows = TextLikePage(100, 144, 5);
  for (const auto& row : rows) p.Row(row);
  p.End();
  ASSERT_EQ(p.capture.blocks.size(), 9u);
  for (size_t k = 0; k < 9; ++k) {
    std::vector<RasterRow> got;
    RasterDiagnostics diag;
    DecodePredictiveBlock(p.capture.blocks[k].data(), p.capture.blocks[k].size(), 100, &got, &diag);
    EXPECT_TRUE(diag.problems.empty());
    EXPECT_EQ(got, std::vector<RasterRow>(rows.begin() + k * 16, rows.begin() + (k + 1) * 16)) << k;
  }
}

TEST(PredictiveRaster, WhiteBlocksInsideThePageAreSentAndAtItsFootDropped) {
  Page p(40, 8);
  p.White(13);  // top margin: a white block and five rows
  p.Row(RandomRow(1, 40, 0.5));
  p.White(3 * 8 + 2);  // the rest of that block, then whole white blocks
  p.Row(RandomRow(2, 40, 0.5));
  p.White(40);
  p.End();
  // Blocks: rows 0-7 white, 8-15 (row 13), three white blocks, 40-47 (row 40);
  // the white rows after row 47 are dropped.
  auto rows = p.ExpectPrints();
  EXPECT_EQ(rows.size(), 48u);
  EXPECT_EQ(p.capture.blocks.size(), 6u);
}

TEST(PredictiveRaster, LastBlockIsPaddedWithWhiteRows) {
  Page p(10, 16);
  for (uint32_t s = 0; s < 20; ++s) p.Row(RandomRow(s, 10));
  p.End();
  auto rows = p.ExpectPrints();
  EXPECT_EQ(rows.size(), 32u);
}

TEST(PredictiveRaster, WhitePageSendsNothing) {
  Page p(10, 4);
  p.White(100);
  p.End();
  EXPECT_TRUE(p.capture.blocks.empty());
}

TEST(PredictiveRaster, PageAgainAtHalfTheRowLength) {
  Page p(64, 8);
  for (uint32_t s = 0; s < 5; ++s) p.Row(RandomRow(s, 64));
  // Fall-back: the same buffers take the page again with half-length rows.
  p.capture = RasterCapture{};
  p.capture.BeginGraphic(32 * 8, 8, 131);
  ASSERT_TRUE(PredictiveRasterStartPage(&p.r, 32, 8));
  p.rowLength = 32;
  p.meant.clear();
  for (uint32_t s = 0; s < 5; ++s) p.Row(RandomRow(s, 32));
  p.End();
  p.ExpectPrints();
}

TEST(PredictiveRaster, BlockOfRawRowSizeIsRefused) {
  // Rows that code longer than they are would not fit rows x length bytes.
  Bytes block(64 * 16), previous(64);
  PredictiveRaster r;
  RasterCapture capture;
  PredictiveRasterInit(&r, block.data(), static_cast<DWORD>(block.size()), previous.data(), 64, capture.Sink());
  SetLastError(0);
  EXPECT_FALSE(PredictiveRasterStartPage(&r, 64, 16));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_GT(PredictiveBlockSize(64, 16), 64u * 16u);
}

TEST(PredictiveRaster, FailedOutputIsReported) {
  Page p(32, 4);
  p.capture.failAfter = 0;
  RasterRow row = RandomRow(1, 32);
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(PredictiveRow(&p.r, row.data()));
  EXPECT_FALSE(PredictiveRow(&p.r, row.data()));
}

}  // namespace
}  // namespace kadu_test
