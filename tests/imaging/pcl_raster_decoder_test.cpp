// The decoder itself, on examples from the printer language's published
// descriptions, before it is trusted to judge the encoders.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/imaging/raster_capture.h"
#include "tests/support/pcl_raster_decoder.h"

namespace kadu_test {
namespace {

PclRasterDecode DecodeString(const std::string& s, bool reset = false) {
  PclDecodeOptions o;
  o.seedResetPerBlock = reset;
  return DecodePclRaster(reinterpret_cast<const uint8_t*>(s.data()), s.size(), o);
}

TEST(PclRasterDecoder, PackBitsOfTheFormatDescription) {
  const uint8_t coded[] = {0xFE, 0xAA, 0x02, 0x80, 0x00, 0x2A, 0xFD, 0xAA, 0x03, 0x80,
                           0x00, 0x2A, 0x22, 0xF7, 0xAA, 0x80};  // last: a no-op control
  RasterRow want = {0xAA, 0xAA, 0xAA, 0x80, 0x00, 0x2A, 0xAA, 0xAA, 0xAA, 0xAA, 0x80, 0x00,
                    0x2A, 0x22, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA};
  RasterRow row(want.size() + 4, 0xEE);
  RasterDiagnostics diag;
  DecodePackBitsRow(coded, sizeof coded, &row, &diag);
  want.resize(row.size(), 0);
  EXPECT_EQ(row, want);
  EXPECT_TRUE(diag.problems.empty());
}

TEST(PclRasterDecoder, DeltaRowsOfThePublishedExample) {
  std::string s = "\x1b*r40S\x1b*r1A\x1b*b3m2W";
  s += std::string("\x01\xFF", 2) + "\x1b*b2W" + std::string("\x02\xF0", 2) + "\x1b*b5W" +
       std::string("\x00\x0F\x22\xAA\xAA", 5) + "\x1b*b0W\x1b*rC";
  PclRasterDecode d = DecodeString(s);
  ASSERT_EQ(d.images.size(), 1u);
  const auto& rows = d.images[0].rows;
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0], (RasterRow{0x00, 0xFF, 0x00, 0x00, 0x00}));
  EXPECT_EQ(rows[1], (RasterRow{0x00, 0xFF, 0xF0, 0x00, 0x00}));
  EXPECT_EQ(rows[2], (RasterRow{0x0F, 0xFF, 0xF0, 0xAA, 0xAA}));
  EXPECT_EQ(rows[3], rows[2]);  // an empty delta row repeats the seed
  EXPECT_TRUE(d.diag.problems.empty());
}

TEST(PclRasterDecoder, LongDeltaOffsetContinuesIn255s) {
  // Offset 31 + 255 + 128 = 414.
  RasterRow seed(420, 0);
  const uint8_t coded[] = {0x1F, 0xFF, 0x80, 0x55};
  RasterDiagnostics diag;
  DecodeDeltaRow(coded, sizeof coded, &seed, &diag);
  EXPECT_EQ(seed[414], 0x55);
  EXPECT_EQ(std::count(seed.begin(), seed.end(), 0), 419);
}

TEST(PclRasterDecoder, AdaptiveRecordsAndTheSeedRow) {
  std::string block;
  block += std::string("\x00\x00\x02\xC0\x01", 5);      // unencoded C0 01
  block += std::string("\x05\x00\x02", 3);              // two repeats
  block += std::string("\x03\x00\x02\x01\x77", 5);      // delta: byte 1 = 77
  block += std::string("\x04\x00\x03", 3);              // three white rows, seed white
  block += std::string("\x03\x00\x02\x00\x11", 5);      // delta on white
  block += std::string("\x02\x00\x02\xFF\x33", 5);      // PackBits: 33 33
  block += std::string("\x05\x00\x00", 3);              // count 0: seed white, no row
  block += std::string("\x03\x00\x02\x01\x44", 5);      // delta on white
  std::string s = "\x1b*r16S\x1b*r1A\x1b*b5m" + std::to_string(block.size()) + "W" + block + "\x1b*rC";
  PclRasterDecode d = DecodeString(s);
  ASSERT_EQ(d.images.size(), 1u);
  std::vector<RasterRow> want = {{0xC0, 0x01}, {0xC0, 0x01}, {0xC0, 0x01}, {0xC0, 0x77}, {0, 0}, {0, 0},
                                 {0, 0},       {0x11, 0},   {0x33, 0x33}, {0, 0x44}};
  EXPECT_EQ(d.images[0].rows, want);
  EXPECT_TRUE(d.diag.problems.empty());
}

TEST(PclRasterDecoder, SeedAcrossAdaptiveBlocksFollowsTheOption) {
  std::string s = "\x1b*r16S\x1b*r1A\x1b*b5m5W" + std::string("\x00\x00\x02\xAB\xCD", 5) + "\x1b*b5W" +
                  std::string("\x03\x00\x02\x01\x11", 5) + "\x1b*rC";
  EXPECT_EQ(DecodeString(s, false).images[0].rows[1], (RasterRow{0xAB, 0x11}));
  EXPECT_EQ(DecodeString(s, true).images[0].rows[1], (RasterRow{0x00, 0x11}));
}

TEST(PclRasterDecoder, PredictiveExamplesOfTheMethod) {
  // Each the first row of a block: 22 FF 00 is 00 00 FF 00, 03 00 is white.
  struct Case {
    std::vector<uint8_t> coded;
    RasterRow row;
  } cases[] = {{{0x22, 0xFF, 0x00}, {0x00, 0x00, 0xFF, 0x00}}, {{0x03, 0x00}, {0x00, 0x00, 0x00, 0x00}}};
  for (const auto& c : cases) {
    std::vector<RasterRow> rows;
    RasterDiagnostics diag;
    DecodePredictiveBlock(c.coded.data(), c.coded.size(), 4, &rows, &diag);
    EXPECT_EQ(rows, std::vector<RasterRow>{c.row});
    EXPECT_TRUE(diag.problems.empty());
  }
}

TEST(PclRasterDecoder, PredictiveModelCarriesFromRowToRow) {
  // After 00 00 FF 00 the last byte left copy mode on (it equals the byte
  // above), so three matches copy the row above: 00 00 FF, then the literal.
  const uint8_t coded[] = {0x22, 0xFF, 0x00, 0x03, 0x00};
  std::vector<RasterRow> rows;
  RasterDiagnostics diag;
  DecodePredictiveBlock(coded, sizeof coded, 4, &rows, &diag);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[1], (RasterRow{0x00, 0x00, 0xFF, 0x00}));
  EXPECT_TRUE(diag.problems.empty());
}

TEST(PclRasterDecoder, MalformedDataIsReportedNotOverrun) {
  const std::string cases[] = {
      "\x1b*r16S\x1b*r1A\x1b*b5m4W" + std::string("\x02\x00\x09\x01", 4),  // record runs past the block
      "\x1b*r16S\x1b*r1A\x1b*b5m3W" + std::string("\x09\x00\x00", 3),      // unknown command
      "\x1b*r16S\x1b*r1A\x1b*b131m1W" + std::string("\x1F", 1),            // 131 row ends early
      "\x1b*r16S\x1b*r1A\x1b*b2m3W" + std::string("\x05\x01", 2),          // literal past data
      "\x1b*r16S\x1b*r1A\x1b*b5m9999W",                                    // data past the stream
  };
  for (const auto& s : cases) {
    EXPECT_FALSE(DecodeString(s).diag.problems.empty()) << testing::PrintToString(s);
  }
}

TEST(PclRasterDecoder, PagesAndOtherCommandsAreSteppedOver) {
  std::string s = "\x1b%-12345X@PJL ENTER LANGUAGE=PCL\r\n\x1b" "E\x1b&l26A\x1b(s4W" + std::string("\x0C\x0C\x1b\x1b", 4) +
                  "\x1b*r8S\x1b*r1A\x1b*b0m1W\x81\x1b*rC\x0C\x1b%1BIN;PU0,0;LB\x0C\x03;\x1b%0A"
                  "\x1b*r8S\x1b*r1A\x1b*b0W\x1b*rC\x0C";
  PclRasterDecode d = DecodeString(s);
  ASSERT_EQ(d.images.size(), 2u);
  EXPECT_EQ(d.images[0].page, 0u);
  EXPECT_EQ(d.images[0].rows, (std::vector<RasterRow>{{0x81}}));
  EXPECT_EQ(d.images[1].page, 1u);
  EXPECT_EQ(d.images[1].rows, (std::vector<RasterRow>{{0x00}}));
  EXPECT_EQ(d.pages, 2u);
  EXPECT_TRUE(d.diag.problems.empty());
}

}  // namespace
}  // namespace kadu_test

namespace kadu_test {
namespace {

// netpbm's pbmtolj is a PCL raster encoder written by others: the decoder must
// read its output back to the image it was given, in each of its methods. (Its
// delta mode sends a white row after a black one as a zero-length transfer,
// which the language defines as a repeat of the seed row; a rule down the left
// edge keeps every row black somewhere so that this does not arise.)
TEST(PclRasterDecoder, ReadsWhatPbmtoljWrites) {
  if (std::system("command -v pbmtolj > /dev/null 2>&1") != 0) GTEST_SKIP() << "pbmtolj not installed";
  const size_t widthBytes = 41;  // 328 pixels
  std::vector<RasterRow> image = TextLikePage(widthBytes, 260, 3);
  for (uint32_t s = 0; s < 30; ++s) image.push_back(RandomRow(s, widthBytes, (s % 4) / 3.0));
  image.push_back(RasterRow(widthBytes, 0x11));
  for (auto& row : image) row[0] |= 0x80;
  std::string dir = ::testing::TempDir();
  std::string pbm = dir + "kadu_decoder_check.pbm", pcl = dir + "kadu_decoder_check.pcl";
  {
    std::ofstream f(pbm, std::ios::binary);
    f << "P4\n" << widthBytes * 8 << " " << image.size() << "\n";
    for (const auto& row : image) f.write(reinterpret_cast<const char*>(row.data()), row.size());
  }
  for (const char* option : {"", "-packbits", "-delta", "-compress"}) {
    std::string command = std::string("pbmtolj -quiet -resolution 300 ") + option + " " + pbm + " > " + pcl;
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    std::ifstream in(pcl, std::ios::binary);
    std::string s((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    PclDecodeOptions o;
    o.defaultWidthBytes = widthBytes;
    PclRasterDecode d = DecodePclRaster(reinterpret_cast<const uint8_t*>(s.data()), s.size(), o);
    EXPECT_TRUE(d.diag.problems.empty()) << option << testing::PrintToString(d.diag.problems);
    ASSERT_EQ(d.images.size(), 1u) << option;
    EXPECT_TRUE(SameImage(image, d.images[0].rows)) << option;
  }
  std::remove(pbm.c_str());
  std::remove(pcl.c_str());
}

}  // namespace
}  // namespace kadu_test
