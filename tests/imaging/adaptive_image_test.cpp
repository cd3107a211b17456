#include "render/imaging/adaptive_image.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/imaging/raster_capture.h"

namespace kadu_test {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(CodeImageRow, ShortestCodingOrTheBytesThemselves) {
  Bytes zero(16, 0);
  Bytes seed55(16, 0x55);
  seed55[0] = 0;
  Bytes random = RandomRow(3, 16);
  struct Case {
    const char* what;
    Bytes row;
    const Bytes* seed;
    DWORD sig;
    AdaptiveCommand command;
    Bytes data;
  } cases[] = {
      {"neither coding shorter", {0x11, 0x22, 0x33, 0x44}, &zero, 4, kAdaptiveUnencoded, {0x11, 0x22, 0x33, 0x44}},
      {"delta shorter", {0, 0, 0, 0, 0, 0, 0, 0x80}, &zero, 8, kAdaptiveDeltaRow, {0x07, 0x80}},
      {"tie goes to PackBits", Bytes(16, 0x55), &seed55, 16, kAdaptivePackBits, {0xF1, 0x55}},
      {"repeated row: empty delta", random, &random, 16, kAdaptiveDeltaRow, {}},
      {"no usable seed", {0, 0, 0, 0, 0, 0, 0, 0x80}, nullptr, 8, kAdaptivePackBits, {0xFA, 0, 0, 0x80, 0xFF, 0}},
      {"white row", Bytes(8, 0), nullptr, 0, kAdaptiveUnencoded, {}},
  };
  for (const auto& c : cases) {
    Bytes w0(64), w1(64);
    ImageRowCoding got = CodeImageRow(c.row.data(), c.sig, c.seed ? c.seed->data() : nullptr, w0.data(), w1.data(), 64);
    EXPECT_EQ(got.command, c.command) << c.what;
    EXPECT_EQ(Bytes(got.data, got.data + got.count), c.data) << c.what;
  }
}

struct Image {
  RasterCapture capture;
  Bytes block, seed, work0, work1;
  AdaptiveImage a;
  DWORD rowLength;
  std::vector<RasterRow> meant;

  explicit Image(DWORD length) : rowLength(length) {
    DWORD blockSize = AdaptiveImageBlockSize(length);
    block.assign(blockSize + 64, 0xEE);  // guard bytes after the block
    seed.assign(length, 0);
    work0.assign(length, 0);
    work1.assign(length, 0);
    AdaptiveBuffers b{block.data(), blockSize, seed.data(), length, {work0.data(), work1.data()}, length};
    AdaptiveImageInit(&a, &b, capture.Sink());
    capture.BeginGraphic(length * 8, 0, 5);
    EXPECT_TRUE(AdaptiveImageStart(&a, length));
  }
  void Row(const RasterRow& r) {
    meant.push_back(r);
    ASSERT_TRUE(AdaptiveImageRow(&a, r.data()));
  }
  void End() {
    ASSERT_TRUE(AdaptiveImageFlush(&a));
    capture.EndGraphic();
  }
  void ExpectPrints() {
    for (size_t i = AdaptiveImageBlockSize(rowLength); i < block.size(); ++i) ASSERT_EQ(block[i], 0xEE);
    for (const auto& b : capture.blocks) EXPECT_LE(b.size(), AdaptiveImageBlockSize(rowLength));
    for (bool reset : {false, true}) {
      PclRasterDecode d = capture.Decode(reset);
      EXPECT_TRUE(d.diag.problems.empty()) << testing::PrintToString(d.diag.problems);
      ASSERT_EQ(d.images.size(), 1u);
      // Every row is a record: white rows at the foot are sent too.
      EXPECT_EQ(d.images[0].rows.size(), meant.size());
      EXPECT_TRUE(SameImage(meant, d.images[0].rows)) << (reset ? "seed cleared per block" : "seed kept");
    }
  }
};

TEST(AdaptiveImage, ImagesPrintExactlyAcrossBlocks) {
  for (DWORD width : {1u, 2u, 33u, 300u, 1000u}) {
    Image im(width);
    for (const auto& r : TextLikePage(width, 400, width)) im.Row(r);
    for (uint32_t s = 0; s < 60; ++s) im.Row(RandomRow(s, width, (s % 4) / 3.0));
    im.End();
    im.ExpectPrints();
  }
}

TEST(AdaptiveImage, BlocksGoOnceFullAndNextBlockStartsWithoutTheSeed) {
  Image im(200);
  RasterRow row = RandomRow(1, 200);
  for (int i = 0; i < 1000; ++i) {
    for (int k = 0; k < 20; ++k) row[(i * 7 + k * 10) % 200] ^= 0x21;  // deltas win
    im.Row(row);
  }
  im.End();
  ASSERT_GT(im.capture.blocks.size(), 1u);
  for (size_t i = 0; i + 1 < im.capture.blocks.size(); ++i) {
    EXPECT_GE(im.capture.blocks[i].size(), kAdaptiveImageFlushAt);
    EXPECT_NE(im.capture.blocks[i + 1][0], kAdaptiveDeltaRow);
  }
  im.ExpectPrints();
}

// A block just short of the flush mark takes a full unencoded row: the row
// goes into the next block instead of three bytes past the buffer.
TEST(AdaptiveImage, RecordThatWouldPassTheBufferGoesToTheNextBlock) {
  const DWORD n = 1000;
  Image im(n);
  for (uint32_t s = 0; s < 15; ++s) im.Row(RandomRow(s, n));
  im.Row(RasterRow(n, 0));
  while (im.a.block.count < kAdaptiveImageFlushAt - 3) im.Row(RasterRow(n, 0));  // 3 bytes each
  ASSERT_GE(im.a.block.count, kAdaptiveImageFlushAt - 3);
  ASSERT_LT(im.a.block.count, kAdaptiveImageFlushAt);
  im.Row(RandomRow(99, n));
  EXPECT_EQ(im.capture.blocks.size(), 1u);
  im.End();
  im.ExpectPrints();
}

TEST(AdaptiveImage, FailedOutputIsReported) {
  Image im(100);
  im.capture.failAfter = 0;
  bool failed = false;
  for (uint32_t s = 0; s < 300 && !failed; ++s) {
    RasterRow r = RandomRow(s, 100);
    failed = !AdaptiveImageRow(&im.a, r.data());
  }
  EXPECT_TRUE(failed);
}

}  // namespace
}  // namespace kadu_test
