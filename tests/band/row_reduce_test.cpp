// Row reduction of the 1200 dpi modes and of fall-backs, on small rows whose
// results are worked out by hand.
#include <gtest/gtest.h>

#include <vector>

#include "render/core/row_layout.h"
#include "render/core/row_reduce.h"

namespace {

using Row = std::vector<BYTE>;

TEST(RowReduce, SmoothingExampleOfThePrinterDescription) {
  // A = F0 00, B = 00 00: the first window has left and right blocks 3, table
  // value C: two black pixels in row A, none in row B.
  Row a{0xF0, 0x00}, b{0x00, 0x00};
  HalveRowPairSmoothed(a.data(), b.data(), 2);
  EXPECT_EQ(a[0], 0xC0);
  EXPECT_EQ(b[0], 0x00);
}

struct SmoothCase {
  BYTE window, value;
};

TEST(RowReduce, SmoothingTableCorners) {
  const SmoothCase cases[] = {{0x00, 0x0}, {0x33, 0xC}, {0xFF, 0xF}, {0x5A, 0x5}, {0xCC, 0x3}, {0xC2, 0x5}};
  for (const SmoothCase& c : cases) EXPECT_EQ(SmoothingValue(c.window), c.value) << int(c.window);
}

struct OrCase {
  Row in, out;
};

TEST(RowReduce, HalvingAcrossOrsNeighbours) {
  const OrCase cases[] = {
      {{0x80, 0x00}, {0x80}},  // one pixel keeps its half
      {{0x40, 0x01}, {0x81}},
      {{0xAA, 0x55}, {0xFF}},
      {{0x0F}, {0x30}},        // an odd length: the last byte alone
  };
  for (const OrCase& c : cases) {
    Row out(c.out.size());
    HalveRowOr(c.in.data(), DWORD(c.in.size()), out.data());
    EXPECT_EQ(out, c.out);
  }
}

struct MajorityCase {
  Row a, b, out;
};

TEST(RowReduce, TwoByTwoBlocksNeedTwoBlackPixels) {
  const MajorityCase cases[] = {
      {{0x80, 0x00}, {0x00, 0x00}, {0x00}},  // one of four: white
      {{0xC0, 0x00}, {0x00, 0x00}, {0x80}},  // two across
      {{0x80, 0x00}, {0x80, 0x00}, {0x80}},  // two down
      {{0x40, 0x00}, {0x80, 0x00}, {0x80}},  // two on a diagonal
      {{0xFF, 0xFF}, {0xFF, 0xFF}, {0xFF}},
      {{0x01, 0x80}, {0x01, 0x80}, {0x18}},
  };
  for (const MajorityCase& c : cases) {
    Row out(c.out.size());
    HalveRowPair2x2(c.a.data(), c.b.data(), DWORD(c.a.size()), out.data());
    EXPECT_EQ(out, c.out);
  }
}

struct AlignCase {
  DWORD stride, resolution, subMode, aligned;
};

TEST(RowLayout, StrideAlignment) {
  const AlignCase cases[] = {
      {620, 600, 0, 624},  {624, 600, 0, 624},   {311, 300, 0, 312},  {312, 300, 0, 312},
      {1240, 1200, 0, 1248}, {1241, 1200, 0, 1248}, {1233, 1200, 0, 1248}, {1232, 1200, 0, 1248},
      {1241, 1200, 0x80, 1248}, {1240, 1200, 0x80, 1240},
  };
  for (const AlignCase& c : cases)
    EXPECT_EQ(AlignRowStride(c.stride, c.resolution, c.subMode), c.aligned) << c.stride << " at " << c.resolution;
}

}  // namespace
