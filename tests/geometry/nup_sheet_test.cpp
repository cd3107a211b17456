// The end of an N-up sheet, byte for byte: frame, separators, form feed.
#include <gtest/gtest.h>

#include "render/vector/gl2_context.h"
#include "render/vector/nup_page.h"
#include "tests/vector/vector_fixture.h"

namespace kadu_test {
namespace {

class NupSheet : public VectorFixture {
 protected:
  // A4 at 600 dpi: sheet 4960 x 7016, printable 4676 x 6816.
  void TwoUpPortraitSheet(DWORD border) {
    PageLayout& l = pdev_.layout;
    l.nupFlags = LAYOUT_NUP | LAYOUT_NUP_TURNED | LAYOUT_NUP_LANDSCAPE;
    l.rotated = FALSE;
    l.nupColumns = 1;
    l.nupRows = 2;
    l.nupCell = SIZEL{4676, 3408};
    l.sheetSize = SIZEL{4960, 7016};
    pdev_.halftoneCell = 8;
    pdev_.devmode.priv.dwPageBorder = border;
  }
  // Two portrait pages side by side on a landscape A4 sheet at 1200 dpi,
  // framed.
  void LandscapeTwoUpAt1200(BOOL true1200) {
    PageLayout& l = pdev_.layout;
    l.nupFlags = LAYOUT_NUP | LAYOUT_NUP_TURNED;
    l.rotated = TRUE;
    l.nupColumns = 1;
    l.nupRows = 2;
    l.nupCell = SIZEL{6816, 9352};
    l.sheetSize = SIZEL{9920, 14032};
    pdev_.halftoneCell = 12;
    pdev_.devmode.priv.dwPageBorder = 1;
    VectorSetDevice(&pdev_, 1200, true1200, FALSE);
  }
};

TEST_F(NupSheet, OffWritesOnlyTheFormFeed) {
  TwoUpPortraitSheet(3);
  pdev_.layout.nupFlags = 0;
  EXPECT_TRUE(FinishNupSheet(&pdev_));
  EXPECT_EQ(Out(), "\f");
}

TEST_F(NupSheet, BorderStyleZeroLeavesHpgl2ThenFeeds) {
  TwoUpPortraitSheet(0);
  SetGL2Context(&pdev_, TRUE);
  Out();
  EXPECT_TRUE(FinishNupSheet(&pdev_));
  EXPECT_EQ(Out(), E("\e%0A\f"));
}

TEST_F(NupSheet, DashedTwoUpPortraitAt600) {
  TwoUpPortraitSheet(3);
  pdev_.pcl.printDirection = 90;  // the last page printed turned
  EXPECT_TRUE(FinishNupSheet(&pdev_));
  // Separator 3408 pixels below the top: PE pair (4675, 0).
  EXPECT_EQ(Out(), E("\e%0BMC1,240\e%0A\e*c5953.2x8419.2Y\e&a0P\e*p0x0Y\e*c0T"
                     "\e%0BIP0,0,1016,1016SC0,600,0,600;AC0,0IW;LA1,4,2,4,3,32767PW0SV;LT2,2,1;"
                     "PU0,7015EA4675,0;PU0,3608PE"
                     "EQ\xC1\xBF;\e%0A\f"));
  EXPECT_EQ(pdev_.gl2.lineEnd, 512);
  EXPECT_EQ(pdev_.gl2.lineJoin, 8192);
  EXPECT_FALSE(pdev_.gl2.penWidthKnown);
  EXPECT_EQ(pdev_.vector.pageHeight, kPageHeight);  // the page's own height is back
  ExpectWellFormed();
}

struct StyleCase {
  DWORD border;
  const char* lineType;
};

class NupSheetStyles : public NupSheet, public ::testing::WithParamInterface<StyleCase> {};

TEST_P(NupSheetStyles, BorderStylePicksLineType) {
  TwoUpPortraitSheet(GetParam().border);
  EXPECT_TRUE(FinishNupSheet(&pdev_));
  std::string out = Out();
  EXPECT_NE(out.find(std::string("SV;") + GetParam().lineType + "PU0,7015EA"), std::string::npos) << out;
}

INSTANTIATE_TEST_SUITE_P(Styles, NupSheetStyles,
                         ::testing::Values(StyleCase{1, "LT;"}, StyleCase{2, "LT2,5,1;"}, StyleCase{3, "LT2,2,1;"},
                                           StyleCase{4, "LT5,8,1;"}, StyleCase{5, "LT6,10,1;"},
                                           StyleCase{9, "LT;"}));

TEST_F(NupSheet, FourUpPortraitFrameIsTwoCellsWide) {
  // 2 x 2 on A4 at 300 dpi: sheet 2480 x 3508, cells 1169 x 1704.
  PageLayout& l = pdev_.layout;
  l.nupFlags = LAYOUT_NUP;
  l.nupColumns = l.nupRows = 2;
  l.nupCell = SIZEL{1169, 1704};
  l.sheetSize = SIZEL{2480, 3508};
  l.baseOffset = POINTL{5, 0};
  pdev_.halftoneCell = 16;
  pdev_.devmode.priv.dwPageBorder = 1;
  VectorSetDevice(&pdev_, 300, FALSE, FALSE);
  EXPECT_TRUE(FinishNupSheet(&pdev_));
  // Frame (2481 x 3508) x 24; AC 3508 mod 16 = 4; separators at y 3508 - 1704 and x 1169:
  // PE pairs (2337, 0) and (0, -3507).
  EXPECT_EQ(Out(), E("\e%0BMC1,240\e%0A\e*c5954.4x8419.2Y\e*p5x0Y\e*c0T"
                     "\e%0BIP0,0,1016,1016SC0,300,0,300;AC0,4IW;LA1,4,2,4,3,32767PW0SV;LT;"
                     "PU0,3507EA2337,0;PU0,1804PE"
                     "AH\xC0\xBF;PU1169,3507PE\xBF" "fl\xC0;\e%0A\f"));
  ExpectWellFormed();
}

TEST_F(NupSheet, ThickLinesAt1200OnLandscapeSheet) {
  LandscapeTwoUpAt1200(FALSE);
  EXPECT_TRUE(FinishNupSheet(&pdev_));
  // Frame 14032 x (9920 + 1) at 1200; AC 9920 mod 12 = 8; the separator at
  // x 6816, again at 6815 and 6817: PE pair (0, -9919).
  const std::string down = "\xBF~t\xC3;";
  EXPECT_EQ(Out(), E("\e%0BMC1,240\e%0A\e*c8419.2x5952.6Y\e*p0x0Y\e*c0T"
                     "\e%0BIP0,0,1016,1016SC0,1200,0,1200;AC0,8IW;LA1,4,2,4,3,32767PW0SV;LT;"
                     "PU0,9919EA13631,0;PU6816,9919PE" +
                     down + "PU1,9919EA13630,0;PU2,9919EA13629,0;PU6815,9919PE" + down + "PU6817,9919PE" + down +
                     "\e%0A\f"));
  ExpectWellFormed();
}

TEST_F(NupSheet, True1200DrawsThinLines) {
  LandscapeTwoUpAt1200(TRUE);
  EXPECT_TRUE(FinishNupSheet(&pdev_));
  std::string out = Out();
  EXPECT_EQ(out.find("PU1,9919"), std::string::npos);
  EXPECT_EQ(out.find("PU6815,"), std::string::npos);
}

}  // namespace
}  // namespace kadu_test
