#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "render/vector/gl2_commands.h"
#include "render/vector/gl2_context.h"
#include "render/vector/gl2_pe.h"
#include "tests/vector/vector_fixture.h"

namespace {

class Gl2Pe : public kadu_test::VectorFixture {
 protected:
  void SetUp() override {
    VectorFixture::SetUp();
    SetGL2Context(&pdev_, TRUE);
    Out();
  }
};

std::string Bytes(std::initializer_list<int> codes) {
  std::string s;
  for (int c : codes) s += char(c);
  return s;
}

TEST_F(Gl2Pe, EncodesPairsAsBase64Digits) {
  struct Case {
    LONG dx, dy;
    std::string expected;
  };
  const Case cases[] = {
      {0, 0, Bytes({191, 191})},
      {1, -1, Bytes({193, 194})},
      {32, 0, Bytes({63, 192, 191})},        // n = 64: one continuation digit
      {31, -31, Bytes({253, 254})},          // n = 62 and 63: the largest one-digit numbers
      {-32, 0, Bytes({64, 192, 191})},       // n = 65
      {2048, 0, Bytes({63, 63, 192, 191})},  // n = 4096 = 64^2
  };
  for (const Case& c : cases) {
    GL2EncodeDelta(&pdev_, c.dx, c.dy);
    EXPECT_EQ(Out(), c.expected) << c.dx << "," << c.dy;
  }
}

// Decoded by the independent PE reader of the syntax checker, across the
// digit boundaries and the 32-bit extremes.
TEST_F(Gl2Pe, DecodesBackToThePairs) {
  std::vector<LONG> values = {0, 1, -1, 31, 32, -32, 2047, 2048, -2048, 65535, 131071, 131072,
                              -8388608, 8388608, INT_MAX, INT_MIN, INT_MIN + 1};
  std::string stream = "\x1B%0BPE";
  for (LONG v : values) {
    GL2EncodeDelta(&pdev_, v, ~v);  // ~v = -v - 1, defined for every v
  }
  stream += Out() + ";\x1B%0A";
  kadu_test::JobParse parse = kadu_test::ParseJob(stream);
  ASSERT_TRUE(parse.Clean()) << parse.ProblemText();
  ASSERT_EQ(parse.tokens.size(), 3u);
  const auto& pe = parse.tokens[1].pe;
  ASSERT_EQ(pe.size(), values.size());
  for (size_t i = 0; i < values.size(); ++i) {
    EXPECT_EQ(pe[i].a, values[i]);
    EXPECT_EQ(pe[i].b, ~values[i]);
    EXPECT_FALSE(pe[i].penUp);
    EXPECT_FALSE(pe[i].absolute);
  }
}

TEST_F(Gl2Pe, LineToWritesTheRelativeMoveInFlippedCoordinates) {
  pdev_.gl2.current = POINTL{10, 10};
  LONG h = kadu_test::kPageHeight;
  GL2LineTo(&pdev_, 42, h - 20 - 1);  // device (42, 20): 32 right, 10 down
  GL2LineTo(&pdev_, 42, h - 20 - 1);  // no move
  std::string stream = "\x1B%0BPE" + Out() + ";\x1B%0A";
  kadu_test::JobParse parse = kadu_test::ParseJob(stream);
  ASSERT_TRUE(parse.Clean()) << parse.ProblemText();
  EXPECT_EQ(kadu_test::DescribeTokens(parse.tokens), "%0B PE[32,-10 0,0] %0A");
}

}  // namespace
