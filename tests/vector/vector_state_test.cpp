#include <gtest/gtest.h>

#include <cstddef>
#include <memory>

#include "render/vector/gl2_commands.h"
#include "render/vector/gl2_line.h"
#include "render/vector/pcl_palette.h"
#include "render/vector/pcl_pattern.h"
#include "render/vector/pcl_job.h"
#include "render/vector/pcl_raster.h"
#include "tests/vector/vector_fixture.h"

namespace {

using kadu_test::E;

class VectorState : public kadu_test::VectorFixture {
 protected:
  // Leaves a style copy in `pdev`.
  static void DrawStyledLine(PDEV* pdev) {
    Gl2FloatLong style[2];
    style[0].l = 1;
    style[1].l = 2;
    Gl2LineAttrs la{};
    la.elWidth.l = 1;
    la.cstyle = 2;
    la.pstyle = style;
    ASSERT_TRUE(GL2SetLineAttributes(pdev, &la));
  }
};

TEST_F(VectorState, PageStartKeepsWhatOthersOwn) {
  BYTE row[4];
  PclSetRowBuffer(&pdev_, row, sizeof(row));
  pdev_.pcl.rowLength = 3;
  pdev_.pcl.pageOffset = POINTL{10, 20};
  pdev_.pcl.printableOffset = POINTL{-5, -6};
  pdev_.pcl.newSheet = TRUE;
  PclSelectPalette(&pdev_, 2);
  PclPrintDirection(&pdev_, 90);
  PclStateResetPage(&pdev_);
  EXPECT_EQ(pdev_.pcl.row, row);
  EXPECT_EQ(pdev_.pcl.rowSize, 4u);
  EXPECT_EQ(pdev_.pcl.rowLength, 3u);
  EXPECT_EQ(pdev_.pcl.pageOffset.x, 10);
  EXPECT_EQ(pdev_.pcl.printableOffset.y, -6);
  EXPECT_TRUE(pdev_.pcl.newSheet);
  EXPECT_EQ(pdev_.pcl.palette, -1);
  EXPECT_EQ(pdev_.pcl.printDirection, 0);
  EXPECT_EQ(pdev_.pcl.paletteColors[2][1], 0xFFFFFFFFu);
  EXPECT_EQ(pdev_.pcl.hatchIndex, kNoHatch);
  EXPECT_EQ(pdev_.pcl.patternId, 0xFFFFFF);
}

// DrvResetPDEV: the old PDEV's caches go on in the new one, the style copy
// changes owner, and each PDEV frees only what it owns.
TEST_F(VectorState, CarryMovesTheStateToTheNewPdev) {
  auto fresh = std::make_unique<PDEV>();
  PDEV& next = *fresh;
  Gl2StateInit(&next);
  PclStateInit(&next);
  BYTE row[8];
  PclSetRowBuffer(&next, row, sizeof(row));
  size_t baseline = kw::hooks::MemoryLiveBlocks();
  DrawStyledLine(&next);  // the new PDEV's own copy is replaced by the carry
  DrawStyledLine(&pdev_);
  GL2SetMerge(&pdev_, 240);
  PclSelectPattern(&pdev_, 4);
  pdev_.pcl.pageOffset = POINTL{7, 8};
  DWORD* style = pdev_.gl2.styleCopy;
  EXPECT_EQ(kw::hooks::MemoryLiveBlocks(), baseline + 2);

  Gl2StateCarry(&next, &pdev_);
  PclStateCarry(&next, &pdev_);
  EXPECT_EQ(kw::hooks::MemoryLiveBlocks(), baseline + 1);
  EXPECT_EQ(next.gl2.styleCopy, style);
  EXPECT_EQ(pdev_.gl2.styleCopy, nullptr);
  EXPECT_EQ(next.gl2.merge, 240);
  EXPECT_FALSE(next.gl2.inGL2);  // the pattern selection left HP-GL/2
  EXPECT_EQ(next.pcl.selectedPattern, 4);
  EXPECT_EQ(next.pcl.pageOffset.x, 7);
  EXPECT_EQ(next.pcl.row, row);
  EXPECT_EQ(next.pcl.rowSize, 8u);

  Gl2StateRelease(&pdev_);
  EXPECT_EQ(kw::hooks::MemoryLiveBlocks(), baseline + 1);
  Gl2StateRelease(&next);
  EXPECT_EQ(kw::hooks::MemoryLiveBlocks(), baseline);
}

TEST_F(VectorState, NewPdevReadsEverythingAsUnknown) {
  // Every cached command goes out once on a new PDEV.
  GL2SetMerge(&pdev_, 0);
  GL2SetFillType(&pdev_, 0, 0, 0);
  GL2SetScreen(&pdev_, 0, 0);
  GL2SetWindow(&pdev_, nullptr);
  GL2SetScale(&pdev_, 0, 0);
  GL2Rotate(&pdev_, 0);
  PclSelectPattern(&pdev_, 0);
  PclSourceTransparency(&pdev_, 0);
  PclPatternTransparency(&pdev_, 0);
  PclSetFontId(&pdev_, 0);
  PclSelectPalette(&pdev_, 0);
  PclRasterScale(&pdev_, 0, 0);
  EXPECT_EQ(Out(), E("\\e%0BMC1,0FT;SV;IW;SC0,0,0,0;RO0\\e%0A\\e*v0T\\e*v1N\\e*v1O\\e*c0D\\e&p0S"
                     "\\e*v255a255b255c0I\\e*v0a0b0c1I\\e*t0.0v0.0H"));
  ExpectWellFormed();
}

}  // namespace
