#include "render/imaging/packbits.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/imaging/raster_capture.h"

namespace kadu_test {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Pack(const Bytes& row) {
  Bytes out(PackBitsBound(static_cast<DWORD>(row.size())) + 16, 0xEE);
  INT n = EncodePackBits(row.data(), static_cast<DWORD>(row.size()), out.data(), static_cast<DWORD>(out.size()));
  EXPECT_GE(n, 0);
  EXPECT_LE(static_cast<DWORD>(n), PackBitsBound(static_cast<DWORD>(row.size())));
  out.resize(n < 0 ? 0 : n);
  return out;
}

RasterRow Unpack(const Bytes& coded, size_t width) {
  RasterRow row(width);
  RasterDiagnostics diag;
  DecodePackBitsRow(coded.data(), coded.size(), &row, &diag);
  EXPECT_TRUE(diag.problems.empty());
  EXPECT_EQ(diag.clippedNonzero, 0u);
  return row;
}

Bytes Repeat(size_t n, uint8_t b) { return Bytes(n, b); }
Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

TEST(PackBits, WorkedExamples) {
  struct Case {
    Bytes row, coded;
  } cases[] = {
      {{0, 0, 0, 0}, {0xFD, 0x00}},
      {{1, 2, 3}, {0x02, 1, 2, 3, 0xFF, 0x00}},
      {{7}, {0x00, 7, 0xFF, 0x00}},
      {Repeat(200, 0x5A), {0x81, 0x5A, 0xB9, 0x5A}},
      // A run of two after a literal joins it; at the end it stays a run.
      {{1, 2, 2, 3}, {0x03, 1, 2, 2, 3, 0xFF, 0x00}},
      {{1, 2, 2}, {0x00, 1, 0xFF, 2}},
      {{2, 2, 1}, {0xFF, 2, 0x00, 1, 0xFF, 0x00}},
      // 129 equal bytes: a run of 128, then the 129th starts again.
      {Repeat(129, 9), {0x81, 9, 0x00, 9, 0xFF, 0x00}},
      {Repeat(130, 9), {0x81, 9, 0xFF, 9}},
      {{}, {}},
  };
  for (const auto& c : cases) EXPECT_EQ(Pack(c.row), c.coded) << testing::PrintToString(c.row);
}

TEST(PackBits, LiteralsStopAt128Bytes) {
  Bytes row;
  for (int i = 0; i < 300; ++i) row.push_back(static_cast<uint8_t>(i * 7 + 1));
  Bytes coded = Pack(row);
  EXPECT_EQ(coded[0], 127);
  EXPECT_EQ(coded[129], 127);
  EXPECT_EQ(coded[258], 300 - 257);
  EXPECT_EQ(Unpack(coded, 300), row);
}

// Runs and literals of lengths around the 128-byte limit, and rows of 255..260
// bytes, in every mix of what comes before and after.
TEST(PackBits, BoundaryLengthsRoundTrip) {
  std::vector<Bytes> pieces;
  for (size_t n : {1, 2, 3, 126, 127, 128, 129, 130, 255, 256, 257, 258, 259, 260}) {
    pieces.push_back(Repeat(n, 0xC3));
    Bytes literal;
    for (size_t i = 0; i < n; ++i) literal.push_back(static_cast<uint8_t>(i % 2 ? 0x11 : 0x22));
    pieces.push_back(literal);
  }
  for (const auto& a : pieces) {
    for (const auto& b : pieces) {
      Bytes row = Cat({a, b, {0x00}});
      EXPECT_EQ(Unpack(Pack(row), row.size()), row);
      Bytes row2 = Cat({a, {0x7E}, b});
      EXPECT_EQ(Unpack(Pack(row2), row2.size()), row2);
    }
  }
}

TEST(PackBits, RandomRowsRoundTrip) {
  for (uint32_t seed = 1; seed <= 400; ++seed) {
    size_t length = 1 + seed * 7 % 700;
    double density = (seed % 5) / 4.0;
    RasterRow row = RandomRow(seed, length, density);
    // Some rows of few values, so that runs of every length occur.
    if (seed % 3 == 0)
      for (auto& b : row) b &= 0x01;
    EXPECT_EQ(Unpack(Pack(row), row.size()), row) << "seed " << seed;
  }
}

TEST(PackBits, BoundHoldsForTheWorstRows) {
  // Literals cut by the 128 limit next to runs of two, which join them.
  std::vector<Bytes> rows;
  for (size_t n : {1, 2, 127, 128, 129, 254, 255, 256, 1000, 5000}) {
    Bytes alternating, pairs, lumpy;
    for (size_t i = 0; i < n; ++i) {
      alternating.push_back(static_cast<uint8_t>(i & 1));
      pairs.push_back(static_cast<uint8_t>((i / 2) & 1));
      lumpy.push_back(static_cast<uint8_t>(i % 129 < 127 ? i & 1 : 0x80));
    }
    rows.insert(rows.end(), {alternating, pairs, lumpy});
  }
  for (const auto& row : rows) Pack(row);  // Pack checks the bound
}

TEST(PackBits, CapacityIsNeverExceeded) {
  RasterRow row = RandomRow(5, 300);
  INT full = static_cast<INT>(Pack(row).size());
  for (DWORD capacity : {0u, 1u, 2u, 100u, static_cast<DWORD>(full - 1)}) {
    Bytes out(capacity + 8, 0xEE);
    EXPECT_EQ(EncodePackBits(row.data(), 300, out.data(), capacity), -1);
    for (size_t i = capacity; i < out.size(); ++i) ASSERT_EQ(out[i], 0xEE) << capacity;
  }
}

TEST(PackBitsBounded, FailsWhenNotShorterThanTheRow) {
  Bytes out(64);
  const Bytes three = {1, 2, 3};  // codes to 6 bytes
  EXPECT_EQ(EncodePackBitsBounded(three.data(), 3, out.data(), 64), -1);
  const Bytes runs = {0, 0, 0, 0};  // codes to 2 bytes
  EXPECT_EQ(EncodePackBitsBounded(runs.data(), 4, out.data(), 64), 2);
  const Bytes two = {5, 5};  // codes to 2 bytes: as long as the row
  EXPECT_EQ(EncodePackBitsBounded(two.data(), 2, out.data(), 64), -1);
  const Bytes three5 = {5, 5, 5};
  EXPECT_EQ(EncodePackBitsBounded(three5.data(), 3, out.data(), 64), 2);
  EXPECT_EQ(EncodePackBitsBounded(runs.data(), 0, out.data(), 64), -1);
}

TEST(PackBitsBounded, AgreesWithUnboundedWhenItSucceeds) {
  for (uint32_t seed = 1; seed <= 200; ++seed) {
    RasterRow row = RandomRow(seed, 1 + seed % 300, (seed % 4) / 6.0);
    Bytes full = Pack(row);
    Bytes out(row.size() + 8, 0xEE);
    INT n = EncodePackBitsBounded(row.data(), static_cast<DWORD>(row.size()), out.data(),
                                  static_cast<DWORD>(out.size()));
    if (full.size() < row.size()) {
      ASSERT_EQ(n, static_cast<INT>(full.size()));
      EXPECT_TRUE(std::equal(full.begin(), full.end(), out.begin()));
    } else {
      EXPECT_EQ(n, -1);
    }
  }
}

}  // namespace
}  // namespace kadu_test
