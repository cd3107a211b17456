#include <gtest/gtest.h>

#include "render/vector/gl2_commands.h"
#include "render/vector/pcl_palette.h"
#include "tests/vector/vector_fixture.h"

namespace {

using kadu_test::E;

class PclPalette : public kadu_test::VectorFixture {};

TEST_F(PclPalette, SelectingAPaletteSetsWhiteAndBlack) {
  PclSelectPalette(&pdev_, 3);
  EXPECT_EQ(Out(), E("\\e&p3S\\e*v255a255b255c0I\\e*v0a0b0c1I"));
  PclSelectPalette(&pdev_, 3);
  EXPECT_EQ(Out(), "");
  pdev_.pcl.newSheet = TRUE;
  PclSelectPalette(&pdev_, 3);
  EXPECT_EQ(Out(), E("\\e&p3S\\e*v255a255b255c0I\\e*v0a0b0c1I"));
  ExpectWellFormed();
}

TEST_F(PclPalette, EntriesAreSkippedOnlyWhenAllowed) {
  PclSetPaletteEntry(&pdev_, 0x0000FF, 2, TRUE);
  EXPECT_EQ(Out(), E("\\e*v255a0b0c2I"));
  PclSetPaletteEntry(&pdev_, 0x0000FF, 2, TRUE);
  EXPECT_EQ(Out(), "");
  PclSetPaletteEntry(&pdev_, 0x0000FF, 2, FALSE);
  EXPECT_EQ(Out(), E("\\e*v255a0b0c2I"));
  PclSetPaletteEntry(&pdev_, 0x00FF00, 2, TRUE);
  EXPECT_EQ(Out(), E("\\e*v0a255b0c2I"));
  pdev_.pcl.newSheet = TRUE;
  PclSetPaletteEntry(&pdev_, 0x00FF00, 2, TRUE);
  EXPECT_EQ(Out(), E("\\e*v0a255b0c2I"));
}

// The first foreground selection of a PDEV goes out although neither the
// entry's colour nor the foreground is known yet.
TEST_F(PclPalette, ForegroundFollowsTheEntryColour) {
  PclSetForeground(&pdev_, 1);
  PclSetForeground(&pdev_, 1);
  EXPECT_EQ(Out(), E("\\e*v1S\\e*v1S"));
  PclSelectPalette(&pdev_, 0);
  Out();
  PclSetForeground(&pdev_, 1);
  PclSetForeground(&pdev_, 1);
  EXPECT_EQ(Out(), E("\\e*v1S"));
  PclSetForeground(&pdev_, 0);
  EXPECT_EQ(Out(), E("\\e*v0S"));
  pdev_.pcl.newSheet = TRUE;
  PclSetForeground(&pdev_, 0);
  EXPECT_EQ(Out(), E("\\e*v0S"));
}

// Palette IDs the cache has no room for are sent, and nothing about their
// entries is believed.
TEST_F(PclPalette, PalettesOutsideTheCache) {
  for (LONG id : {8, 100, -2}) {
    PclSelectPalette(&pdev_, id);
    Out();
    PclSetPaletteEntry(&pdev_, 0x112233, 1, TRUE);
    PclSetPaletteEntry(&pdev_, 0x112233, 1, TRUE);
    EXPECT_EQ(Out(), E("\\e*v51a34b17c1I\\e*v51a34b17c1I")) << id;
    GL2SetPenColor(&pdev_, 0x112233, 1);
    GL2SetPenColor(&pdev_, 0x112233, 1);
    EXPECT_EQ(Out(), E("\\e%0BPC1,51,34,17PC1,51,34,17")) << id;
    PclSetForeground(&pdev_, 1);
    PclSetForeground(&pdev_, 1);
    EXPECT_EQ(Out(), E("\\e%0A\\e*v1S\\e*v1S")) << id;
  }
  PclSetPaletteEntry(&pdev_, 0x112233, 256, TRUE);
  PclSetPaletteEntry(&pdev_, 0x112233, -1, TRUE);
  EXPECT_EQ(Out(), E("\\e*v51a34b17c256I\\e*v51a34b17c-1I"));
}

TEST_F(PclPalette, PenPair) {
  SetPenPair(&pdev_, 0x0000FF, TRUE);
  EXPECT_EQ(Out(), E("\\e%0BPC1,255,0,0\\e%0A\\e*v1S"));
  SetPenPair(&pdev_, 0x0000FF, TRUE);
  EXPECT_EQ(Out(), "");
  SetPenPair(&pdev_, 0x00FF00, FALSE);
  EXPECT_EQ(Out(), E("\\e%0BPC1,0,255,0"));
  VectorSetDevice(&pdev_, 600, FALSE, TRUE);
  SetPenPair(&pdev_, 0x00FF00, FALSE);
  EXPECT_EQ(Out(), "PC0,255,255,255");
}

TEST_F(PclPalette, MonochromeModeIsAlwaysSent) {
  PclMonochromeMode(&pdev_);
  PclMonochromeMode(&pdev_);
  EXPECT_EQ(Out(), E("\\e&b1M\\e&b1M"));
}

}  // namespace
