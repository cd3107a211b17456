#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/dither_table.h"
#include "render/vector/gl2_commands.h"
#include "render/vector/pattern_download.h"
#include "render/vector/pcl_pattern.h"
#include "tests/vector/vector_fixture.h"

namespace {

using kadu_test::E;
using kadu_test::JobParse;
using kadu_test::JobToken;
using kadu_test::JobTokenKind;

// A downloaded pattern as the printer reads it from "\e*c#W" commands.
struct Download {
  int format = -1, continuation = -1, bitsPerPixel = -1;
  int height = 0, width = 0, xres = 0, yres = 0;
  std::string data;
};

int Word(const std::string& d, size_t i) { return (uint8_t(d[i]) << 8) | uint8_t(d[i + 1]); }

std::vector<Download> Downloads(const std::string& stream) {
  JobParse parse = kadu_test::ParseJob(stream);
  EXPECT_TRUE(parse.Clean()) << parse.ProblemText();
  std::vector<Download> out;
  for (const JobToken& t : parse.tokens) {
    if (t.kind != JobTokenKind::PclParam || t.Command() != "*cW") continue;
    Download d;
    EXPECT_GE(t.data.size(), 12u);
    if (t.data.size() < 12) continue;
    d.format = uint8_t(t.data[0]);
    d.continuation = uint8_t(t.data[1]);
    d.bitsPerPixel = uint8_t(t.data[2]);
    d.height = Word(t.data, 4);
    d.width = Word(t.data, 6);
    d.xres = Word(t.data, 8);
    d.yres = Word(t.data, 10);
    d.data = t.data.substr(12);
    out.push_back(d);
  }
  return out;
}

int Grey(uint32_t rgb) { return (77 * (rgb & 0xFF) + 151 * ((rgb >> 8) & 0xFF) + 28 * ((rgb >> 16) & 0xFF)) >> 8; }

bool Bit(const std::string& rows, int rowBytes, int x, int y) {
  return (uint8_t(rows[size_t(y * rowBytes + x / 8)]) >> (7 - x % 8)) & 1;
}

class Patterns : public kadu_test::VectorFixture {
 protected:
  // A 4 x 2 cell: thresholds 32 apart.
  const BYTE cellBits_[8] = {32, 96, 160, 224, 64, 128, 192, 255};
  DitherCell cell_{4, 2, cellBits_};
};

TEST_F(Patterns, SelectionAndTransparencyAreCached) {
  PclSelectPattern(&pdev_, 4);
  PclSelectPattern(&pdev_, 4);
  PclSelectPattern(&pdev_, 0);
  EXPECT_EQ(Out(), E("\\e*v4T\\e*v0T"));
  PclSourceTransparency(&pdev_, 1);
  PclSourceTransparency(&pdev_, 1);
  PclSourceTransparency(&pdev_, 0);
  PclPatternTransparency(&pdev_, 1);
  PclPatternTransparency(&pdev_, 2);
  PclPatternTransparency(&pdev_, 0);  // another mode, the same command: sent
  EXPECT_EQ(Out(), E("\\e*v0N\\e*v1N\\e*v0O\\e*v1O\\e*v1O"));
  PclForgetTransparency(&pdev_);
  PclPatternTransparency(&pdev_, 0);
  EXPECT_EQ(Out(), E("\\e*v1O"));
  PclSetPatternId(&pdev_, 5);
  PclSetPatternId(&pdev_, 5);
  EXPECT_EQ(Out(), E("\\e*c5G\\e*c5G"));
}

TEST_F(Patterns, HeaderStatesThePatternResolution) {
  struct Case {
    DWORD dpi;
    BOOL true1200;
    int stated;
  };
  const Case cases[] = {{300, FALSE, 300}, {600, FALSE, 600}, {1200, FALSE, 600}, {1200, TRUE, 1200}};
  const BYTE bits[2] = {0xF0, 0x0F};
  for (const Case& c : cases) {
    VectorSetDevice(&pdev_, c.dpi, c.true1200, FALSE);
    PclDownloadPattern(&pdev_, bits, 8, 2, 2, FALSE);
    std::string out = Out();
    EXPECT_EQ(out.substr(0, 6), E("\\e*c14W"));
    std::vector<Download> d = Downloads(out);
    ASSERT_EQ(d.size(), 1u);
    EXPECT_EQ(d[0].format, 20);
    EXPECT_EQ(d[0].continuation, 0);
    EXPECT_EQ(d[0].bitsPerPixel, 1);
    EXPECT_EQ(uint8_t(out[6 + 3]), 0);  // reserved
    EXPECT_EQ(d[0].height, 2);
    EXPECT_EQ(d[0].width, 8);
    EXPECT_EQ(d[0].xres, c.stated) << c.dpi;
    EXPECT_EQ(d[0].yres, c.stated) << c.dpi;
    EXPECT_EQ(d[0].data, "\xF0\x0F");
  }
}

TEST_F(Patterns, GreyPatternIdIsTheGreyLevel) {
  EXPECT_TRUE(DownloadGreyPattern(&pdev_, 0x808080, &cell_));
  std::string first = Out();
  EXPECT_EQ(first.substr(0, 7), E("\\e*c128G"));
  EXPECT_TRUE(DownloadGreyPattern(&pdev_, 0x818181, &cell_));
  std::string second = Out();
  EXPECT_EQ(second.substr(0, 7), E("\\e*c129G"));
  EXPECT_TRUE(DownloadGreyPattern(&pdev_, 0x818181, &cell_));
  EXPECT_EQ(Out(), "");  // already the current pattern
  std::vector<Download> d = Downloads(first);
  ASSERT_EQ(d.size(), 1u);
  EXPECT_EQ(d[0].width, 8);  // LCM(8, 4)
  EXPECT_EQ(d[0].height, 2);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 8; ++x) {
      EXPECT_EQ(Bit(d[0].data, 1, x, y), 128 < cellBits_[y * 4 + x % 4]) << x << "," << y;
    }
  }
}

TEST_F(Patterns, NoSolidColourIsMidGrey) {
  EXPECT_TRUE(DownloadGreyPattern(&pdev_, 0xFFFFFFFF, &cell_));
  EXPECT_EQ(Out().substr(0, 7), E("\\e*c127G"));
}

TEST_F(Patterns, GreyPatternLeavesHpgl2AndForgetsTheSelection) {
  PclSelectPattern(&pdev_, 4);
  GL2SetScreen(&pdev_, 0, 0);
  Out();
  EXPECT_TRUE(DownloadGreyPattern(&pdev_, 0x404040, &cell_));
  PclSelectPattern(&pdev_, 4);
  std::string out = Out();
  EXPECT_EQ(out.substr(0, 4), E("\\e%0A"));
  EXPECT_EQ(out.substr(out.size() - 5), E("\\e*v4T"));
}

// Without a halftone cell nothing is divided by zero: the pattern is one byte
// wide and one row high, black or white by the grey level.
TEST_F(Patterns, WithoutAHalftoneCell) {
  const DitherCell empty{0, 0, nullptr};
  EXPECT_TRUE(DownloadGreyPattern(&pdev_, 0x202020, &empty));
  std::vector<Download> d = Downloads(Out());
  ASSERT_EQ(d.size(), 1u);
  EXPECT_EQ(d[0].width, 8);
  EXPECT_EQ(d[0].height, 1);
  EXPECT_EQ(d[0].data, "\xFF");
  EXPECT_TRUE(DownloadGreyPattern(&pdev_, 0xC0C0C0, nullptr));
  d = Downloads(Out());
  ASSERT_EQ(d.size(), 1u);
  EXPECT_EQ(d[0].data, std::string(1, '\0'));

  const BYTE rows[3] = {0x80, 0x40, 0x20};
  const ULONG colors[2] = {0xFFFFFF, 0x808080};
  PatternBrush grey{3, 3, 1, kBrush1Bpp, rows, 2, colors, 6, nullptr, 0};
  EXPECT_TRUE(PatternFits(&grey, &empty));
  EXPECT_TRUE(DownloadBrushPattern(&pdev_, &grey, FALSE, &empty));
  d = Downloads(Out());
  ASSERT_EQ(d.size(), 1u);
  EXPECT_EQ(d[0].width, 3);
  EXPECT_EQ(d[0].height, 3);
  // Grey 128 is not below the single threshold of 128: white.
  EXPECT_EQ(d[0].data, std::string(3, '\0'));
}

class BrushPatterns : public Patterns {
 protected:
  // The forward-diagonal hatch, 8 x 8, black on white.
  BYTE hatchRows_[8] = {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01};
  ULONG blackOnWhite_[2] = {0xFFFFFF, 0x000000};
  PatternBrush Hatch(LONG style) { return PatternBrush{8, 8, 1, kBrush1Bpp, hatchRows_, 2, blackOnWhite_, style, nullptr, 0}; }
};

TEST_F(BrushPatterns, BlackAndWhiteHatchIsDownloadedAsPattern256) {
  PatternBrush hatch = Hatch(2);
  EXPECT_TRUE(DownloadBrushPattern(&pdev_, &hatch, FALSE, &cell_));
  std::string out = Out();
  EXPECT_EQ(out.substr(0, 7), E("\\e*c256G"));
  std::vector<Download> d = Downloads(out);
  ASSERT_EQ(d.size(), 1u);
  EXPECT_EQ(d[0].width, 8);
  EXPECT_EQ(d[0].height, 8);
  EXPECT_EQ(d[0].data, std::string(reinterpret_cast<const char*>(hatchRows_), 8));
}

TEST_F(BrushPatterns, HatchHeldAsPattern256IsNotSentAgain) {
  PatternBrush hatch = Hatch(2);
  EXPECT_TRUE(DownloadBrushPattern(&pdev_, &hatch, FALSE, &cell_));
  Out();
  EXPECT_TRUE(DownloadBrushPattern(&pdev_, &hatch, FALSE, &cell_));
  EXPECT_EQ(Out(), "");
  // Another hatch style is sent.
  PatternBrush other = Hatch(3);
  EXPECT_TRUE(DownloadBrushPattern(&pdev_, &other, FALSE, &cell_));
  EXPECT_EQ(Downloads(Out()).size(), 1u);
  // So is a pattern brush that is no hatch, every time.
  PatternBrush plain = Hatch(6);
  EXPECT_TRUE(DownloadBrushPattern(&pdev_, &plain, FALSE, &cell_));
  EXPECT_TRUE(DownloadBrushPattern(&pdev_, &plain, FALSE, &cell_));
  EXPECT_EQ(Downloads(Out()).size(), 2u);
}

// A grey pattern in between makes its own ID current: the hatch, still held
// as pattern 256, must be named again before it is selected.
TEST_F(BrushPatterns, HatchIsMadeCurrentAgainAfterAGreyPattern) {
  PatternBrush hatch = Hatch(1);
  EXPECT_TRUE(DownloadBrushPattern(&pdev_, &hatch, FALSE, &cell_));
  EXPECT_TRUE(DownloadGreyPattern(&pdev_, 0x808080, &cell_));
  PclSelectPattern(&pdev_, 4);
  Out();
  EXPECT_TRUE(DownloadBrushPattern(&pdev_, &hatch, FALSE, &cell_));
  PclSelectPattern(&pdev_, 4);
  EXPECT_EQ(Out(), E("\\e*c256G\\e*v4T"));
  // And the grey level is downloaded again when it is asked for next.
  EXPECT_TRUE(DownloadGreyPattern(&pdev_, 0x808080, &cell_));
  EXPECT_EQ(Downloads(Out()).size(), 1u);
}

TEST_F(BrushPatterns, GreyBrushIsDitheredOnTheCommonPeriod) {
  // 3 x 3, 8 bits per pixel, three greys on white.
  const BYTE pixels[3 * 4] = {0, 1, 2, 0, 1, 2, 0, 0, 2, 0, 1, 0};
  const ULONG colors[3] = {0xFFFFFF, 0x606060, 0xA0A0A0};
  PatternBrush brush{3, 3, 4, kBrush8Bpp, pixels, 3, colors, 6, nullptr, 0};
  EXPECT_TRUE(DownloadBrushPattern(&pdev_, &brush, FALSE, &cell_));
  std::vector<Download> d = Downloads(Out());
  ASSERT_EQ(d.size(), 1u);
  EXPECT_EQ(d[0].width, 12);  // LCM(4, 3)
  EXPECT_EQ(d[0].height, 6);  // LCM(2, 3)
  ASSERT_EQ(d[0].data.size(), 12u);  // rows padded to 2 bytes
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 12; ++x) {
      int grey = Grey(colors[pixels[(y % 3) * 4 + x % 3]]);
      EXPECT_EQ(Bit(d[0].data, 2, x, y), grey < cellBits_[(y % 2) * 4 + x % 4]) << x << "," << y;
    }
    EXPECT_EQ(uint8_t(d[0].data[size_t(y * 2 + 1)]) & 0x0F, 0) << "padding of row " << y;
  }
}

TEST_F(BrushPatterns, PixelFormats) {
  struct Case {
    ULONG format;
    std::vector<BYTE> row;  // two pixels: black then white
    ULONG colorCount;
  };
  const ULONG table[16] = {0xFFFFFF, 0x000000};
  const Case cases[] = {
      {kBrush1Bpp, {0x40}, 2},                                       // index 0 (white), 1 (black): reversed
      {kBrush4Bpp, {0x10}, 2},                                       // high nibble first
      {kBrush8Bpp, {1, 0}, 2},
      {kBrush16Bpp, {1, 0, 0, 0}, 2},
      {kBrush24Bpp, {0, 0, 0, 0xFF, 0xFF, 0xFF}, 0},                 // colours, red first
      {kBrush32Bpp, {0, 0, 0, 0x12, 0xFF, 0xFF, 0xFF, 0x34}, 0},     // the fourth byte is not colour
  };
  for (const Case& c : cases) {
    Gl2StateResetPage(&pdev_);
    PclStateResetPage(&pdev_);
    PatternBrush brush{2, 1, LONG(c.row.size()), c.format, c.row.data(), c.colorCount, table, 6, nullptr, 0};
    EXPECT_TRUE(DownloadBrushPattern(&pdev_, &brush, FALSE, &cell_)) << c.format;
    std::vector<Download> d = Downloads(Out());
    ASSERT_EQ(d.size(), 1u);
    EXPECT_EQ(d[0].width, 8);  // black-and-white: LCM(8, 2)
    std::string expected = c.format == kBrush1Bpp ? "\x55" : "\xAA";
    EXPECT_EQ(d[0].data, expected) << "format " << c.format;
  }
}

TEST_F(BrushPatterns, TransparentBrushInksWhereTheMaskIsClear) {
  const BYTE mask[8] = {0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  PatternBrush hatch = Hatch(1);
  hatch.mask = mask;
  hatch.maskStride = 1;
  EXPECT_TRUE(DownloadBrushPattern(&pdev_, &hatch, TRUE, &cell_));
  std::vector<Download> d = Downloads(Out());
  ASSERT_EQ(d.size(), 1u);
  EXPECT_EQ(uint8_t(d[0].data[1]), 0x40);
  EXPECT_EQ(uint8_t(d[0].data[2]), 0xFF);
  // The same hatch without the mask is another pattern: sent again.
  EXPECT_TRUE(DownloadBrushPattern(&pdev_, &hatch, FALSE, &cell_));
  d = Downloads(Out());
  ASSERT_EQ(d.size(), 1u);
  EXPECT_EQ(uint8_t(d[0].data[2]), 0x20);
}

TEST_F(BrushPatterns, LargePatternGoesInPieces) {
  // A mask 80 pixels wide and 7000 rows high: 70 000 bytes.
  std::vector<BYTE> mask(70000);
  for (size_t i = 0; i < mask.size(); ++i) mask[i] = BYTE(i * 7 + (i >> 9));
  PatternBrush brush{80, 7000, 10, kBrush1Bpp, mask.data(), 0, nullptr, 6, mask.data(), 10};
  EXPECT_TRUE(DownloadMonoPattern(&pdev_, &brush));
  std::string out = Out();
  std::vector<Download> d = Downloads(out);
  ASSERT_EQ(d.size(), 3u);
  EXPECT_NE(out.find(E("\\e*c32767W")), std::string::npos);
  EXPECT_NE(out.find(E("\\e*c4502W")), std::string::npos);
  std::string joined;
  for (size_t i = 0; i < d.size(); ++i) {
    EXPECT_EQ(d[i].continuation, i == 0 ? 0 : 1);
    EXPECT_EQ(d[i].width, 80);
    EXPECT_EQ(d[i].height, 7000);
    joined += d[i].data;
  }
  EXPECT_EQ(d[0].data.size(), 32755u);
  EXPECT_EQ(d[2].data.size(), 4490u);
  EXPECT_EQ(joined, std::string(mask.begin(), mask.end()));
}

TEST_F(BrushPatterns, MonoPatternWrapsTheMaskAtTheBrushWidth) {
  const BYTE mask[2] = {0xA0, 0x50};  // 5 wide: 10100, 01010
  PatternBrush brush{5, 2, 1, kBrush1Bpp, mask, 0, nullptr, 6, mask, 1};
  EXPECT_TRUE(DownloadMonoPattern(&pdev_, &brush));
  std::vector<Download> d = Downloads(Out());
  ASSERT_EQ(d.size(), 1u);
  EXPECT_EQ(d[0].width, 40);
  EXPECT_EQ(d[0].height, 2);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 40; ++x) EXPECT_EQ(Bit(d[0].data, 5, x, y), Bit(std::string(mask, mask + 2), 1, x % 5, y));
  }
  EXPECT_EQ(pdev_.pcl.hatchIndex, kNoHatch);
  EXPECT_EQ(pdev_.pcl.patternId, kBrushPatternId);
}

TEST_F(BrushPatterns, UnusableBrushesWriteNothing) {
  PatternBrush empty = Hatch(1);
  empty.width = 0;
  EXPECT_FALSE(DownloadBrushPattern(&pdev_, &empty, FALSE, &cell_));
  PatternBrush noBits = Hatch(1);
  noBits.bits = nullptr;
  EXPECT_FALSE(DownloadBrushPattern(&pdev_, &noBits, FALSE, &cell_));
  PatternBrush shortRows = Hatch(1);
  shortRows.width = 9;  // needs two bytes a row, has one
  EXPECT_FALSE(DownloadBrushPattern(&pdev_, &shortRows, FALSE, &cell_));
  PatternBrush noMask = Hatch(1);
  EXPECT_FALSE(DownloadMonoPattern(&pdev_, &noMask));
  EXPECT_EQ(Out(), "");
}

TEST_F(BrushPatterns, AllocationFailureLeavesNoClaimOnPattern256) {
  PatternBrush hatch = Hatch(4);
  kw::hooks::MemoryFailAt(1);
  EXPECT_FALSE(DownloadBrushPattern(&pdev_, &hatch, FALSE, &cell_));
  kw::hooks::MemoryFailAt(0);
  Out();
  EXPECT_TRUE(DownloadBrushPattern(&pdev_, &hatch, FALSE, &cell_));
  EXPECT_EQ(Downloads(Out()).size(), 1u);
  kw::hooks::MemoryFailAt(1);
  EXPECT_FALSE(DownloadGreyPattern(&pdev_, 0x404040, &cell_));
  kw::hooks::MemoryFailAt(0);
  EXPECT_TRUE(DownloadGreyPattern(&pdev_, 0x404040, &cell_));
  EXPECT_EQ(Downloads(Out()).size(), 1u);
}

TEST_F(BrushPatterns, FitCheck) {
  PatternBrush hatch = Hatch(1);
  EXPECT_TRUE(PatternFits(&hatch, &cell_));
  // 512 x 512 black and white: 262 144 bits, over the limit.
  std::vector<BYTE> big(64 * 512, 0x0F);
  PatternBrush large{512, 512, 64, kBrush1Bpp, big.data(), 2, blackOnWhite_, 6, nullptr, 0};
  EXPECT_FALSE(PatternFits(&large, &cell_));
  PatternBrush justUnder{512, 511, 64, kBrush1Bpp, big.data(), 2, blackOnWhite_, 6, nullptr, 0};
  EXPECT_TRUE(PatternFits(&justUnder, &cell_));  // 261 632 bits
}

}  // namespace

namespace {

// With the model data's screen: darker greys ink a superset of the positions
// lighter ones do, and each pattern inks exactly the positions whose
// threshold lies above the grey level.
TEST_F(Patterns, GreyLevelsOnTheBuiltinScreen) {
  const kadu::DitherTable& table = kadu::BuiltinDitherTable();
  DitherCell cell{table.cellWidth, table.cellHeight, table.thresholds};
  std::string previous;
  for (int level = 255; level >= 0; level -= 17) {
    DWORD rgb = DWORD(level) * 0x010101;
    ASSERT_TRUE(DownloadGreyPattern(&pdev_, rgb, &cell));
    std::vector<Download> d = Downloads(Out());
    ASSERT_EQ(d.size(), 1u);
    int rowBytes = (d[0].width + 7) / 8;
    EXPECT_EQ(d[0].height, table.cellHeight);
    int inked = 0, expected = 0;
    for (int y = 0; y < d[0].height; ++y) {
      for (int x = 0; x < d[0].width; ++x) {
        bool ink = Bit(d[0].data, rowBytes, x, y);
        inked += ink;
        expected += level < table.thresholds[y * table.cellWidth + x % table.cellWidth];
        if (!previous.empty() && Bit(previous, rowBytes, x, y)) {
          EXPECT_TRUE(ink) << level << " at " << x << "," << y;
        }
      }
    }
    EXPECT_EQ(inked, expected) << level;
    previous = d[0].data;
  }
  EXPECT_EQ(previous.find('\0'), std::string::npos);  // black: every position inked
}

}  // namespace
