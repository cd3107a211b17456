#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "render/vector/gl2_commands.h"
#include "render/vector/gl2_context.h"
#include "render/vector/gl2_pe.h"
#include "render/vector/mix_rop.h"
#include "render/vector/pcl_palette.h"
#include "render/vector/pcl_pattern.h"
#include "render/vector/vector_device.h"
#include "tests/vector/vector_fixture.h"

namespace {

using kadu_test::E;
using kadu_test::kPageHeight;

class Gl2Commands : public kadu_test::VectorFixture {
 protected:
  // Runs `steps` on a fresh page state; each step's own output (after the
  // context switch of the first) is compared.
  struct Step {
    std::function<void(PDEV*)> call;
    const char* expected;
  };
  void Run(const char* name, const std::vector<Step>& steps) {
    Gl2StateResetPage(&pdev_);
    PclStateResetPage(&pdev_);
    SetGL2Context(&pdev_, TRUE);
    Out();
    for (size_t i = 0; i < steps.size(); ++i) {
      steps[i].call(&pdev_);
      EXPECT_EQ(Out(), steps[i].expected) << name << ", step " << i;
    }
  }
};

TEST_F(Gl2Commands, InstructionsWithoutCache) {
  Run("no cache", {
                      {[](PDEV* p) { GL2FillPolygon(p, 1); }, "FP1"},
                      {[](PDEV* p) { GL2FillPolygon(p, 1); }, "FP1"},
                      {[](PDEV* p) { GL2PolygonBegin(p); }, "PM0"},
                      {[](PDEV* p) { GL2PolygonEnd(p); }, "PM2"},
                      {[](PDEV* p) { GL2EdgePolygon(p); }, "EP"},
                      {[](PDEV* p) { GL2Circle(p, 25); }, "CI25"},
                      {[](PDEV* p) { GL2FillRectRel(p, 10, -4); }, "RR10,-4"},
                      {[](PDEV* p) { GL2MoveTo(p, 100, 6915); }, "PU100,6915"},
                      {[](PDEV* p) { GL2AnchorCorner(p, 0, 16); }, "AC0,16"},
                      {[](PDEV* p) { GL2SetP1P2(p, 0, 0, 1016, 1016); }, "IP0,0,1016,1016;"},
                      {[](PDEV* p) { GL2SetP1P2(p, 0, 0, 1016, 1016); }, "IP0,0,1016,1016;"},
                  });
}

TEST_F(Gl2Commands, CachedInstructions) {
  Run("merge", {
                   {[](PDEV* p) { GL2SetMerge(p, 240); }, "MC1,240"},
                   {[](PDEV* p) { GL2SetMerge(p, 240); }, ""},
                   {[](PDEV* p) { GL2SetMerge(p, 0); }, "MC1,0"},
               });
  Run("fill type", {
                       {[](PDEV* p) { GL2SetFillType(p, 0, 0, 0); }, "FT;"},
                       {[](PDEV* p) { GL2SetFillType(p, 0, 0, 0); }, ""},
                       {[](PDEV* p) { GL2SetFillType(p, 10, 100); }, "FT10,100"},
                       {[](PDEV* p) { GL2SetFillType(p, 10, 100); }, ""},
                       {[](PDEV* p) { GL2SetFillType(p, 3, 8, 45); }, "FT3,8,45"},
                       {[](PDEV* p) { GL2SetFillType(p, 4, 8, 45); }, "FT4,8,45"},
                       {[](PDEV* p) { GL2SetFillType(p, 22, 256, 0); }, "FT22,256"},
                       {[](PDEV* p) { GL2SetFillType(p, 22, 256, 7); }, "FT22,256"},  // p2 changed: sent
                   });
  Run("screen", {
                    {[](PDEV* p) { GL2SetScreen(p, 0, 0); }, "SV;"},
                    {[](PDEV* p) { GL2SetScreen(p, 0, 0); }, ""},
                    {[](PDEV* p) { GL2SetScreen(p, 1, 0); }, "SV1,0"},
                    {[](PDEV* p) { GL2SetScreen(p, 2, 3); }, "SV2,3,1"},
                    {[](PDEV* p) { GL2SetScreen(p, 22, 128); }, "SV22,128"},
                    {[](PDEV* p) { GL2SetScreen(p, 22, 128); }, ""},
                })
  ;
  Run("scale", {
                   {[](PDEV* p) { GL2SetScale(p, 600, 600); }, "SC0,600,0,600;"},
                   {[](PDEV* p) { GL2SetScale(p, 600, 600); }, ""},
                   {[](PDEV* p) { GL2SetScale(p, 600, 1200); }, "SC0,600,0,1200;"},
               });
  Run("rotation", {
                      {[](PDEV* p) { GL2Rotate(p, 0); }, "RO0"},
                      {[](PDEV* p) { GL2Rotate(p, 360); }, ""},
                      {[](PDEV* p) { GL2Rotate(p, 450); }, "RO90"},
                      {[](PDEV* p) { GL2Rotate(p, 90); }, ""},
                      {[](PDEV* p) { GL2Rotate(p, 720); }, "RO0"},
                  });
}

TEST_F(Gl2Commands, RotationOf360IsZero) {
  Run("rotate 360", {{[](PDEV* p) { GL2Rotate(p, 360); }, "RO0"}});
}

TEST_F(Gl2Commands, MergeOverrideSends168) {
  VectorSetMergeOverride(&pdev_, TRUE);
  Run("override", {
                      {[](PDEV* p) { GL2SetMerge(p, 252); }, "MC1,168"},
                      {[](PDEV* p) { GL2SetMerge(p, 240); }, ""},
                      {[](PDEV* p) { VectorSetMergeOverride(p, FALSE); }, ""},
                      {[](PDEV* p) { GL2SetMerge(p, 240); }, "MC1,240"},
                  });
}

// The page-start caches read as unknown: the first instruction of each kind
// goes out even with the values a blank cache would hold (merge 0, fill type
// 0, screen 0), because the printer may still hold the last page's values.
TEST_F(Gl2Commands, FirstInstructionOfAPageIsSentWhateverItsValue) {
  GL2SetMerge(&pdev_, 252);
  GL2SetFillType(&pdev_, 10, 100);
  GL2SetScreen(&pdev_, 22, 128);
  Run("page start", {
                        {[](PDEV* p) { GL2SetMerge(p, 0); }, "MC1,0"},
                        {[](PDEV* p) { GL2SetFillType(p, 0, 0, 0); }, "FT;"},
                        {[](PDEV* p) { GL2SetScreen(p, 0, 0); }, "SV;"},
                        {[](PDEV* p) { GL2Rotate(p, 0); }, "RO0"},
                        {[](PDEV* p) { GL2SetScale(p, 0, 0); }, "SC0,0,0,0;"},
                    });
}

TEST_F(Gl2Commands, PatternDownloadForgetsTheFillType) {
  GL2SetFillType(&pdev_, 22, 256);
  const BYTE bits[8] = {};
  PclDownloadPattern(&pdev_, bits, 8, 8, 8, FALSE);
  Out();
  GL2SetFillType(&pdev_, 22, 256);
  EXPECT_EQ(Out(), E("\\e%0BFT22,256"));
}

TEST_F(Gl2Commands, InputWindow) {
  CLIPOBJ rect{};
  rect.rclBounds = RECTL{10, 20, 110, 220};
  rect.iDComplexity = DC_RECT;
  CLIPOBJ complex = rect;
  complex.iDComplexity = DC_COMPLEX;
  CLIPOBJ trivial = rect;
  trivial.iDComplexity = DC_TRIVIAL;
  Run("window", {
                    {[](PDEV* p) { GL2SetWindow(p, nullptr); }, "IW;"},
                    {[](PDEV* p) { GL2SetWindow(p, nullptr); }, ""},
                    // left, H - bottom - 1, right, H - top - 1
                    {[&](PDEV* p) { GL2SetWindow(p, &rect); }, "IW10,6795,110,6995"},
                    {[&](PDEV* p) { GL2SetWindow(p, &rect); }, "IW10,6795,110,6995"},
                    {[&](PDEV* p) { GL2SetWindow(p, &complex); }, "IW;"},
                    {[&](PDEV* p) { GL2SetWindow(p, &trivial); }, ""},
                    {[&](PDEV* p) { GL2SetWindow(p, &rect); }, "IW10,6795,110,6995"},
                    {[&](PDEV* p) { GL2SetWindow(p, &trivial); }, "IW;"},
                });
}

TEST_F(Gl2Commands, PenColours) {
  Run("mono", {
                  {[](PDEV* p) { GL2SetPenColor(p, 0xFFFFFF, 0); }, ""},  // white pen 0, colour off
                  {[](PDEV* p) { GL2SetPenColor(p, 0x0000FF, 1); }, "PC1,255,0,0"},
                  {[](PDEV* p) { GL2SetPenColor(p, 0x0000FF, 1); }, ""},
                  {[](PDEV* p) { GL2SetPenColor(p, 0x123456, 1); }, "PC1,86,52,18"},
                  {[](PDEV* p) { GL2SetPenColor(p, 0x123456, 300); }, "PC300,86,52,18"},  // outside the cache
                  {[](PDEV* p) { GL2SetPenColor(p, 0x123456, 300); }, "PC300,86,52,18"},
              });
  VectorSetDevice(&pdev_, 600, FALSE, TRUE);
  Run("colour", {
                    {[](PDEV* p) { GL2SetPenColor(p, 0xFFFFFF, 0); }, "PC0,255,255,255"},
                    {[](PDEV* p) { GL2SetPenColor(p, 0xFFFFFF, 0); }, ""},
                    {[](PDEV* p) { p->pcl.newSheet = TRUE; }, ""},
                    {[](PDEV* p) { GL2SetPenColor(p, 0xFFFFFF, 0); }, "PC0,255,255,255"},
                });
}

TEST_F(Gl2Commands, PenColoursArePerPalette) {
  GL2SetPenColor(&pdev_, 0x0000FF, 1);
  PclSelectPalette(&pdev_, 3);  // entries 0 and 1 of palette 3 are set: white and black
  Out();
  GL2SetPenColor(&pdev_, 0x000000, 1);
  GL2SetPenColor(&pdev_, 0x0000FF, 1);
  EXPECT_EQ(Out(), E("\\e%0BPC1,255,0,0"));
}

TEST_F(Gl2Commands, InitStateLeavesHpgl2AndForgetsTheCaches) {
  GL2SetMerge(&pdev_, 252);
  Out();
  GL2InitState(&pdev_);
  EXPECT_EQ(Out(), "INSP1PP1WU0PW0.05TR0LT;" + E("\\e%0A"));
  GL2SetMerge(&pdev_, 252);
  EXPECT_EQ(Out(), E("\\e%0BMC1,252"));
}

TEST_F(Gl2Commands, LinesAndBeziersFollowTheCurrentPoint) {
  pdev_.gl2.current = POINTL{100, 200};
  LONG flipped = kPageHeight - 200 - 1;
  GL2LineTo(&pdev_, 101, flipped - 1);  // one right, one down on the page
  EXPECT_EQ(pdev_.gl2.current.x, 101);
  EXPECT_EQ(pdev_.gl2.current.y, 201);
  pdev_.gl2.pathFlags |= GL2_PATH_BZ_FIRST;
  GL2BezierTo(&pdev_, 1, 2, 3, 4, 5, 6);
  EXPECT_EQ(pdev_.gl2.pathFlags & GL2_PATH_BZ_FIRST, 0u);
  GL2BezierTo(&pdev_, 7, 8, 9, 10, 11, 12);
  EXPECT_EQ(pdev_.gl2.current.x, 11);
  EXPECT_EQ(pdev_.gl2.current.y, kPageHeight - 12 - 1);
  std::string pe = Out();
  EXPECT_EQ(pe, E("\\e%0B") + "\xC1\xC2" + "1,2,3,4,5,6,7,8,9,10,11,12");
}

TEST_F(Gl2Commands, MixToRop3Table) {
  struct Case {
    MIX mix;
    WORD rop;
  };
  // R2_ codes 1 (black) to 16 (white); background in the high byte.
  const Case cases[] = {
      {0x0D0D, 0xF0F0},  // R2_COPYPEN both
      {0x0909, 0xA0A0},  // R2_MASKPEN
      {0x0F0F, 0xFAFA},  // R2_MERGEPEN
      {0x0B0B, 0xAAAA},  // R2_NOP
      {0x1010, 0xFFFF},  // R2_WHITE
      {0x0101, 0x0000},  // R2_BLACK
      {0x0B0D, 0xAAF0},  // copy pen over a transparent background
      {0x0102, 0x0005}, {0x0003, 0xFF0A}, {0x0004, 0xFF0F}, {0x0005, 0xFF50}, {0x0006, 0xFF55},
      {0x0007, 0xFF5A}, {0x0008, 0xFF5F}, {0x000A, 0xFFA5}, {0x000C, 0xFFAF}, {0x000E, 0xFFF5},
      {0x0020, 0xFFFF},  // 32 mod 16 = 0
  };
  for (const Case& c : cases) EXPECT_EQ(MixToRop3(c.mix), c.rop) << std::hex << c.mix;
}

TEST_F(Gl2Commands, InstructionsParseAsHpgl2) {
  GL2InitState(&pdev_);
  GL2SetMerge(&pdev_, 240);
  GL2SetFillType(&pdev_, 22, 256);
  GL2SetScreen(&pdev_, 2, 3);
  CLIPOBJ clip{};
  clip.rclBounds = RECTL{0, 0, 100, 100};
  clip.iDComplexity = DC_RECT;
  GL2SetWindow(&pdev_, &clip);
  GL2SetScale(&pdev_, 600, 600);
  GL2Rotate(&pdev_, 90);
  GL2MoveTo(&pdev_, 5, 6);
  GL2PolygonBegin(&pdev_);
  GL2Circle(&pdev_, 8);
  GL2PolygonEnd(&pdev_);
  GL2FillPolygon(&pdev_, 0);
  GL2SetPenColor(&pdev_, 0x808080, 1);
  kadu_test::JobParse parse = kadu_test::ParseJob(All() + "\x1B%0A");
  EXPECT_TRUE(parse.Clean()) << parse.ProblemText();
  EXPECT_EQ(kadu_test::DescribeTokens(parse.tokens),
            "%0B IN SP1 PP1 WU0 PW0.05 TR0 LT %0A %0B MC1,240 FT22,256 SV2,3,1 IW0,6915,100,7015 SC0,600,0,600 "
            "RO90 PU5,6 PM0 CI8 PM2 FP0 PC1,128,128,128 %0A");
}

}  // namespace
