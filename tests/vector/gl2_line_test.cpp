#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/vector/gl2_context.h"
#include "render/vector/gl2_line.h"
#include "tests/vector/vector_fixture.h"

namespace {

using kadu_test::E;

class Gl2Line : public kadu_test::VectorFixture {
 protected:
  void SetUp() override {
    VectorFixture::SetUp();
    SetGL2Context(&pdev_, TRUE);
    Out();
  }
  static Gl2LineAttrs Cosmetic(LONG width) {
    Gl2LineAttrs la{};
    la.elWidth.l = width;
    return la;
  }
  static Gl2LineAttrs Geometric(FLOAT width, ULONG endCap, ULONG join, FLOAT miter) {
    Gl2LineAttrs la{};
    la.fl = kLineGeometric;
    la.elWidth.e = width;
    la.iEndCap = endCap;
    la.iJoin = join;
    la.eMiterLimit = miter;
    return la;
  }
};

TEST(PenWidth, MillimetresInFixedPoint) {
  struct Case {
    FLOAT width;
    DWORD dpi;
    LONG expected;
  };
  const Case cases[] = {
      {1, 600, 13},   // 0.0523 mm
      {1, 300, 24},   // 0.0947 mm
      {1, 1200, 7},   // below the thinnest pen; the caller raises it
      {2, 600, 24},
      {3, 300, 67},   // 0.264 mm
      {5, 1200, 29},
      {10, 600, 110},
      {0, 600, 2},
  };
  for (const Case& c : cases) EXPECT_EQ(PenWidthToMM(c.width, c.dpi), c.expected) << c.width << " @ " << c.dpi;
}

TEST_F(Gl2Line, CosmeticSolidLineSendsItsWidthOncePerPage) {
  Gl2LineAttrs la = Cosmetic(1);
  EXPECT_TRUE(GL2SetLineAttributes(&pdev_, &la));
  EXPECT_EQ(Out(), "PW0.051LT;");
  EXPECT_TRUE(GL2SetLineAttributes(&pdev_, &la));
  EXPECT_EQ(Out(), "LT;");
  Gl2StateResetPage(&pdev_);
  EXPECT_TRUE(GL2SetLineAttributes(&pdev_, &la));
  EXPECT_EQ(Out(), "PW0.051LT;");
}

TEST_F(Gl2Line, CosmeticWidthsByResolution) {
  struct Case {
    DWORD dpi;
    LONG width;
    const char* expected;
  };
  const Case cases[] = {
      {300, 1, "PW0.094LT;"}, {600, 1, "PW0.051LT;"}, {1200, 1, "PW0.051LT;"},
      {600, 2, "PW0.094LT;"}, {300, 3, "PW0.262LT;"}, {600, 0, "PW0.051LT;"},
  };
  for (const Case& c : cases) {
    Gl2StateResetPage(&pdev_);
    VectorSetDevice(&pdev_, c.dpi, FALSE, FALSE);
    Gl2LineAttrs la = Cosmetic(c.width);
    EXPECT_TRUE(GL2SetLineAttributes(&pdev_, &la));
    EXPECT_EQ(Out(), c.expected) << c.dpi << " dpi, width " << c.width;
  }
}

TEST_F(Gl2Line, AlternateLineIsAUserLineType) {
  Gl2LineAttrs la = Cosmetic(1);
  la.fl = kLineAlternate;
  EXPECT_TRUE(GL2SetLineAttributes(&pdev_, &la));
  EXPECT_EQ(Out(), "PW0.051UL1,1,1;LT1,1,1;");
}

TEST_F(Gl2Line, StyledCosmeticLine) {
  Gl2FloatLong style[2];
  style[0].l = 3;
  style[1].l = 1;
  Gl2LineAttrs la = Cosmetic(1);
  la.cstyle = 2;
  la.pstyle = style;
  EXPECT_TRUE(GL2SetLineAttributes(&pdev_, &la));
  // 600 / 25 = 24 pixels per style unit; 96 pixels are 4 mm.
  EXPECT_EQ(Out(), "PW0.051UL1,72,24;LT1,4,1;");
  ASSERT_NE(pdev_.gl2.styleCopy, nullptr);
  EXPECT_EQ(pdev_.gl2.styleCount, 2u);
  EXPECT_EQ(pdev_.gl2.styleCopy[0], 3u);
  EXPECT_EQ(pdev_.gl2.styleCopy[1], 1u);
}

// A long style makes the UL instruction longer than one command buffer: it is
// written in pieces and arrives whole.
TEST_F(Gl2Line, LongStyleIsWrittenWhole) {
  std::vector<Gl2FloatLong> style(100);
  for (auto& e : style) e.l = 5;
  Gl2LineAttrs la = Cosmetic(1);
  la.cstyle = ULONG(style.size());
  la.pstyle = style.data();
  EXPECT_TRUE(GL2SetLineAttributes(&pdev_, &la));
  std::string out = Out();
  EXPECT_GT(out.size(), 400u);
  kadu_test::JobParse parse = kadu_test::ParseJob("\x1B%0B" + out + "\x1B%0A");
  ASSERT_TRUE(parse.Clean()) << parse.ProblemText();
  ASSERT_EQ(parse.tokens.size(), 5u);  // %0B PW UL LT %0A
  const kadu_test::JobToken& ul = parse.tokens[2];
  EXPECT_EQ(ul.mnemonic, "UL");
  ASSERT_EQ(ul.numbers.size(), 101u);
  EXPECT_EQ(ul.numbers[0], 1);
  for (size_t i = 1; i < ul.numbers.size(); ++i) EXPECT_EQ(ul.numbers[i], 120) << i;
  // 100 x 120 pixels at 600 dpi: 508 mm.
  EXPECT_EQ(kadu_test::DescribeTokens({parse.tokens[3]}), "LT1,508,1");
}

TEST_F(Gl2Line, StyleCopyIsReplacedAndFreedAtPageStart) {
  Gl2FloatLong style[2];
  style[0].l = 2;
  style[1].l = 2;
  Gl2LineAttrs la = Cosmetic(1);
  la.cstyle = 2;
  la.pstyle = style;
  size_t before = kw::hooks::MemoryLiveBlocks();
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(GL2SetLineAttributes(&pdev_, &la));
  EXPECT_EQ(kw::hooks::MemoryLiveBlocks(), before + 1);
  Gl2StateResetPage(&pdev_);
  EXPECT_EQ(pdev_.gl2.styleCopy, nullptr);
  EXPECT_EQ(kw::hooks::MemoryLiveBlocks(), before);
}

TEST_F(Gl2Line, StyleCopyAllocationFailureFailsTheCall) {
  Gl2FloatLong style[2];
  style[0].l = 1;
  style[1].l = 1;
  Gl2LineAttrs la = Cosmetic(1);
  la.cstyle = 2;
  la.pstyle = style;
  kw::hooks::MemoryFailAt(1);
  EXPECT_FALSE(GL2SetLineAttributes(&pdev_, &la));
  kw::hooks::MemoryFailAt(0);
  EXPECT_EQ(pdev_.gl2.styleCopy, nullptr);
  EXPECT_EQ(Out(), "PW0.051UL1,24,24;LT1,2,1;");
}

TEST_F(Gl2Line, GeometricLineSendsWhatChanged) {
  Gl2LineAttrs la = Geometric(10, kEndCapRound, kJoinRound, 4.0f);
  EXPECT_TRUE(GL2SetLineAttributes(&pdev_, &la));
  EXPECT_EQ(Out(), "LA1,4,2,4,3,4PW0.43LT;");
  EXPECT_TRUE(GL2SetLineAttributes(&pdev_, &la));
  EXPECT_EQ(Out(), "LT;");
  la.iJoin = kJoinBevel;
  EXPECT_TRUE(GL2SetLineAttributes(&pdev_, &la));
  EXPECT_EQ(Out(), "LA1,4,2,5,3,4LT;");
  la.iEndCap = kEndCapButt;
  la.iJoin = kJoinMiter;
  la.eMiterLimit = 2.5f;
  la.elWidth.e = 2;
  EXPECT_TRUE(GL2SetLineAttributes(&pdev_, &la));
  EXPECT_EQ(Out(), "LA1,1,2,1,3,2.5PW0.094LT;");
  la.iEndCap = kEndCapSquare;
  EXPECT_TRUE(GL2SetLineAttributes(&pdev_, &la));
  EXPECT_EQ(Out(), "LA1,2,2,1,3,2.5LT;");
}

TEST_F(Gl2Line, MiterLimitBelowOneIsRaisedInTheCallersAttributes) {
  Gl2LineAttrs la = Geometric(1, kEndCapButt, kJoinMiter, 0.5f);
  EXPECT_TRUE(GL2SetLineAttributes(&pdev_, &la));
  EXPECT_EQ(Out(), "LA1,1,2,1,3,1PW0.051LT;");
  EXPECT_EQ(la.eMiterLimit, 1.0f);
}

TEST_F(Gl2Line, StyledGeometricLineIsRefused) {
  Gl2FloatLong style[2] = {};
  Gl2LineAttrs la = Geometric(1, kEndCapButt, kJoinMiter, 10);
  la.cstyle = 2;
  la.pstyle = style;
  EXPECT_FALSE(GL2SetLineAttributes(&pdev_, &la));
  Gl2LineAttrs state = Geometric(1, kEndCapButt, kJoinMiter, 10);
  state.elStyleState.e = 0.5f;
  EXPECT_FALSE(GL2SetLineAttributes(&pdev_, &state));
}

// The default line changes the printer's LA and PW; the caches follow, so a
// line with the width cached before gets its PW again, and one with the
// default's ends and joins does not repeat LA.
TEST_F(Gl2Line, DefaultLineKeepsTheCachesTrue) {
  Gl2LineAttrs cosmetic = Cosmetic(1);
  EXPECT_TRUE(GL2SetLineAttributes(&pdev_, &cosmetic));
  EXPECT_TRUE(GL2SetLineAttributes(&pdev_, nullptr));
  EXPECT_EQ(Out(), "PW0.051LT;LA1,4,2,1,3,10PW0.262LT;");
  EXPECT_TRUE(GL2SetLineAttributes(&pdev_, &cosmetic));
  EXPECT_EQ(Out(), "PW0.051LT;");
  Gl2LineAttrs geometric = Geometric(1, kEndCapRound, kJoinMiter, 10);
  EXPECT_TRUE(GL2SetLineAttributes(&pdev_, nullptr));
  Out();
  EXPECT_TRUE(GL2SetLineAttributes(&pdev_, &geometric));
  EXPECT_EQ(Out(), "PW0.051LT;");
}

TEST_F(Gl2Line, EntersHpgl2) {
  SetGL2Context(&pdev_, FALSE);
  Out();
  EXPECT_TRUE(GL2SetLineAttributes(&pdev_, nullptr));
  EXPECT_EQ(Out(), E("\\e%0BLA1,4,2,1,3,10PW0.262LT;"));
}

}  // namespace
