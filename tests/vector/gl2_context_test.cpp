#include <gtest/gtest.h>

#include "render/core/escape_writer.h"
#include "render/core/gl2_writer.h"
#include "render/vector/gl2_commands.h"
#include "render/vector/gl2_context.h"
#include "render/vector/pcl_cursor.h"
#include "render/vector/pcl_pattern.h"
#include "tests/vector/vector_fixture.h"

namespace {

using kadu_test::E;

class Gl2Context : public kadu_test::VectorFixture {};

TEST_F(Gl2Context, SwitchesOnlyWhenTheContextChanges) {
  SetGL2Context(&pdev_, TRUE);
  SetGL2Context(&pdev_, TRUE);
  EXPECT_EQ(Out(), E("\\e%0B"));
  SetGL2Context(&pdev_, FALSE);
  SetGL2Context(&pdev_, FALSE);
  EXPECT_EQ(Out(), E("\\e%0A"));
  SetGL2Context(&pdev_, FALSE);
  EXPECT_EQ(Out(), "");
}

TEST_F(Gl2Context, InstructionsAndPclCommandsSwitchLazily) {
  GL2SetMerge(&pdev_, 252);
  GL2Circle(&pdev_, 5);
  PclSelectPattern(&pdev_, 4);
  PclMoveTo(&pdev_, 1, 2);
  GL2Circle(&pdev_, 6);
  EXPECT_EQ(Out(), E("\\e%0BMC1,252CI5\\e%0A\\e*v4T\\e*p1x2Y\\e%0BCI6"));
  ExpectWellFormed();
}

TEST_F(Gl2Context, EnteringForgetsTheLastEscapePrefix) {
  // A PCL escape after an HP-GL/2 passage is written whole even when the
  // same prefix was the last one before it.
  WriteEscape(&pdev_, "\x1B*v", 't', "4", TRUE);
  GL2Circle(&pdev_, 1);
  EXPECT_EQ(pdev_.lastEscapeFinal, 1u);
  EXPECT_EQ(pdev_.lastEscapePrefix[0], '\0');
  PclSelectPattern(&pdev_, 0);
  EXPECT_EQ(Out(), E("\\e*v4T\\e%0BCI1\\e%0A\\e*v0T"));
}

TEST_F(Gl2Context, WriteGL2EntersTheContext) {
  WriteGL2(&pdev_, "PD%d,%d;", 1, 2);
  EXPECT_EQ(Out(), E("\\e%0BPD1,2;"));
  EXPECT_TRUE(pdev_.gl2.inGL2);
}

TEST_F(Gl2Context, AfterAPrinterResetTheContextIsPclAndNoGroupIsOpen) {
  GL2Circle(&pdev_, 1);
  WriteEscape(&pdev_, "\x1B&l", 'a', "26", FALSE);  // a group left open, then the reset
  WriteEscape(&pdev_, "\x1B" "E", 0, nullptr, TRUE);
  NotePrinterReset(&pdev_);
  EXPECT_FALSE(pdev_.gl2.inGL2);
  EXPECT_EQ(pdev_.lastEscapeFinal, 1u);
  // "\e%0B" is written again: the printer left HP-GL/2 at the reset.
  GL2Circle(&pdev_, 2);
  // A group with the old prefix starts whole.
  SetGL2Context(&pdev_, FALSE);
  WriteEscape(&pdev_, "\x1B&l", 'o', "1", TRUE);
  EXPECT_EQ(Out(), E("\\e%0BCI1\\e&l26a\\eE\\e%0BCI2\\e%0A\\e&l1O"));
}

TEST_F(Gl2Context, APrinterResetMakesEveryCacheUnknown) {
  GL2SetMerge(&pdev_, 0);
  GL2SetScale(&pdev_, 600, 600);
  PclSelectPattern(&pdev_, 4);
  PclSetPatternId(&pdev_, 7);
  Out();
  WriteEscape(&pdev_, "\x1B%-12345X", 0, nullptr, TRUE);
  NotePrinterReset(&pdev_);
  Out();
  GL2SetMerge(&pdev_, 0);
  GL2SetScale(&pdev_, 600, 600);
  PclSelectPattern(&pdev_, 4);
  EXPECT_EQ(Out(), E("\\e%0BMC1,0SC0,600,0,600;\\e%0A\\e*v4T"));
  EXPECT_EQ(pdev_.pcl.patternId, 0xFFFFFF);
}

TEST_F(Gl2Context, APageStartKeepsTheContext) {
  GL2Circle(&pdev_, 1);
  Gl2StateResetPage(&pdev_);
  PclStateResetPage(&pdev_);
  // Still in HP-GL/2: no second "\e%0B"; the next PCL command leaves it.
  GL2Circle(&pdev_, 2);
  PclSelectPattern(&pdev_, 0);
  EXPECT_EQ(Out(), E("\\e%0BCI1CI2\\e%0A\\e*v0T"));
}

}  // namespace
