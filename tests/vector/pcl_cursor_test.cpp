#include <gtest/gtest.h>

#include "render/vector/gl2_commands.h"
#include "render/vector/pcl_cursor.h"
#include "render/vector/pcl_job.h"
#include "render/vector/pcl_raster.h"
#include "tests/vector/vector_fixture.h"

namespace {

using kadu_test::E;

class PclCursor : public kadu_test::VectorFixture {};

TEST_F(PclCursor, MoveTo) {
  PclMoveTo(&pdev_, 120, 340);
  EXPECT_EQ(Out(), E("\\e*p120x340Y"));
  EXPECT_EQ(pdev_.gl2.current.x, 120);
  EXPECT_EQ(pdev_.gl2.current.y, 340);
  PclMoveTo(&pdev_, -5, 10);
  EXPECT_EQ(Out(), E("\\e*p0x0Y\\e*p-5x10Y"));
  EXPECT_EQ(pdev_.gl2.current.x, -5);
}

TEST_F(PclCursor, MoveToPageAddsThePageOffset) {
  pdev_.pcl.pageOffset = POINTL{1000, 2000};
  PclMoveToPage(&pdev_, 5, 6);
  EXPECT_EQ(Out(), E("\\e*p1005x2006Y"));
  EXPECT_EQ(pdev_.gl2.current.x, 5);
  EXPECT_EQ(pdev_.gl2.current.y, 6);
  PclMoveToPage(&pdev_, -2000, -1);
  EXPECT_EQ(Out(), E("\\e*p0x1999Y"));
  PclMoveToMapped(&pdev_, 7, 8);  // the identity mapping until page mapping exists
  EXPECT_EQ(Out(), E("\\e*p1007x2008Y"));
  EXPECT_EQ(pdev_.gl2.current.x, 7);
}

TEST_F(PclCursor, MoveToCachedWritesOnlyWhatChanged) {
  pdev_.pcl.pageOffset = POINTL{100, 200};
  pdev_.pcl.printableOffset = POINTL{-50, -60};
  struct Step {
    LONG x, y;
    const char* expected;
  };
  const Step steps[] = {
      {10, 20, "\\e*p60x160Y"},
      {10, 20, ""},
      {11, 20, "\\e*p61X"},
      {11, 21, "\\e*p61x161Y"},
      {12, 22, "\\e*p62x162Y"},
      {-200, 22, "\\e*p0X"},  // kept on the page
      {-300, 22, ""},
  };
  for (const Step& s : steps) {
    PclMoveToCached(&pdev_, s.x, s.y);
    EXPECT_EQ(Out(), E(s.expected)) << s.x << "," << s.y;
  }
  EXPECT_EQ(pdev_.gl2.current.x, -300);
}

// The first cached move of a page is sent even to (0, 0): after a form feed
// the printer's cursor is not at the top left corner of anything the cache
// could have meant.
TEST_F(PclCursor, FirstCachedMoveOfAPageIsSent) {
  PclMoveToCached(&pdev_, 0, 0);
  EXPECT_EQ(Out(), E("\\e*p0x0Y"));
  PclStateResetPage(&pdev_);
  PclMoveToCached(&pdev_, 0, 0);
  EXPECT_EQ(Out(), E("\\e*p0x0Y"));
}

// Every operation that moves the printer's cursor keeps the cache true.
TEST_F(PclCursor, CacheFollowsTheOtherMoves) {
  PclMoveToCached(&pdev_, 10, 20);
  PclMoveTo(&pdev_, 500, 600);
  Out();
  PclMoveToCached(&pdev_, 10, 20);
  EXPECT_EQ(Out(), E("\\e*p10x20Y"));
  PclMoveToCached(&pdev_, 10, 20);
  PclTransparentData(&pdev_, 1);
  Out();
  PclMoveToCached(&pdev_, 10, 20);  // the character moved the cursor along the line
  EXPECT_EQ(Out(), E("\\e*p10X"));
  PclPrintDirection(&pdev_, 90);
  PclPrintDirection(&pdev_, 0);
  Out();
  PclMoveToCached(&pdev_, 10, 20);  // a new direction reads the numbers anew
  EXPECT_EQ(Out(), E("\\e*p10x20Y"));
  PclRasterBegin(&pdev_, 1, 8);
  PclRasterEnd(&pdev_);
  Out();
  PclMoveToCached(&pdev_, 10, 20);
  EXPECT_EQ(Out(), E("\\e*p10x20Y"));
}

TEST_F(PclCursor, LeavesHpgl2First) {
  GL2Circle(&pdev_, 1);
  PclMoveTo(&pdev_, 1, 2);
  EXPECT_EQ(Out(), E("\\e%0BCI1\\e%0A\\e*p1x2Y"));
}

TEST_F(PclCursor, RasterFraming) {
  BYTE row[16] = {0xAA, 0x55, 0x00, 0xFF};
  PclSetRowBuffer(&pdev_, row, sizeof(row));
  PclRasterBegin(&pdev_, 100, 2400);
  EXPECT_EQ(Out(), E("\\e*r100t2400s1A\\e*b5M"));
  PclRasterBegin(&pdev_, 100, 2400);
  EXPECT_EQ(Out(), E("\\e*r1A\\e*b5M"));
  PclRasterBegin(&pdev_, 100, 1200);
  EXPECT_EQ(Out(), E("\\e*r1200s1A\\e*b5M"));
  pdev_.pcl.rowLength = 4;
  PclRasterRow(&pdev_);
  EXPECT_EQ(Out(), E("\\e*b4W") + std::string("\xAA\x55\x00\xFF", 4));
  EXPECT_EQ(pdev_.pcl.rowLength, 0u);
  PclRasterRow(&pdev_);
  EXPECT_EQ(Out(), E("\\e*b0W"));
  pdev_.pcl.rowLength = 1;
  PclRasterEnd(&pdev_);
  EXPECT_EQ(Out(), E("\\e*b1W\xAA\\e*rC"));
  PclStateResetPage(&pdev_);
  PclRasterBegin(&pdev_, 100, 1200);
  EXPECT_EQ(Out(), E("\\e*r100t1200s1A\\e*b5M"));
  ExpectWellFormed();
}

TEST_F(PclCursor, RasterScaleInDecipoints) {
  PclRasterScale(&pdev_, 7200, 3605);
  EXPECT_EQ(Out(), E("\\e*t360.5v720.0H"));
  PclRasterScale(&pdev_, 7200, 3605);
  EXPECT_EQ(Out(), "");
  PclRasterScale(&pdev_, 7210, 3605);
  EXPECT_EQ(Out(), E("\\e*t721.0H"));
  PclRasterScale(&pdev_, 7210, 37);
  EXPECT_EQ(Out(), E("\\e*t3.7V"));
  ExpectWellFormed();
}

}  // namespace
