#include "render/imaging/delta_row.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/imaging/raster_capture.h"

namespace kadu_test {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Delta(const Bytes& row, const Bytes& seed, DWORD length) {
  Bytes out(DeltaRowBound(length) + 16, 0xEE);
  INT n = EncodeDeltaRow(length, row.data(), seed.data(), out.data(), static_cast<DWORD>(out.size()));
  EXPECT_GE(n, 0);
  EXPECT_LE(static_cast<DWORD>(n), DeltaRowBound(length));
  out.resize(n < 0 ? 0 : n);
  return out;
}

// The row the printer makes from `seed` and the coding.
RasterRow Apply(const Bytes& coded, RasterRow seed) {
  RasterDiagnostics diag;
  DecodeDeltaRow(coded.data(), coded.size(), &seed, &diag);
  EXPECT_TRUE(diag.problems.empty());
  return seed;
}

// A row of `length` zero bytes differing from a zero seed at `positions`.
Bytes With(size_t length, std::initializer_list<size_t> positions, uint8_t value = 0xB7) {
  Bytes row(length, 0);
  for (size_t p : positions) row[p] = value;
  return row;
}

TEST(DeltaRow, WorkedExampleOffset40) {
  Bytes seed(64, 0);
  EXPECT_EQ(Delta(With(64, {40}), seed, 64), (Bytes{0x1F, 0x09, 0xB7}));
}

TEST(DeltaRow, OffsetsAroundTheCommandAndExtensionLimits) {
  struct Case {
    size_t offset;
    Bytes head;  // command and extension bytes
  } cases[] = {
      {0, {0x00}},         {30, {0x1E}},        {31, {0x1F, 0x00}},         {32, {0x1F, 0x01}},
      {285, {0x1F, 0xFE}}, {286, {0x1F, 0xFF, 0x00}}, {287, {0x1F, 0xFF, 0x01}}, {541, {0x1F, 0xFF, 0xFF, 0x00}},
  };
  Bytes seed(600, 0);
  for (const auto& c : cases) {
    Bytes row = With(600, {c.offset});
    Bytes want = c.head;
    want.push_back(0xB7);
    Bytes coded = Delta(row, seed, 600);
    EXPECT_EQ(coded, want) << "offset " << c.offset;
    EXPECT_EQ(Apply(coded, seed), row);
  }
}

TEST(DeltaRow, GroupsHoldEightBytesAndOffsetsCountFromTheLastGroup) {
  Bytes seed(40, 0);
  // Nine differing bytes from 2: a group of eight at offset 2, then one at 0.
  Bytes row = With(40, {2, 3, 4, 5, 6, 7, 8, 9, 10, 20});
  Bytes coded = Delta(row, seed, 40);
  Bytes want = {0xE2, 0xB7, 0xB7, 0xB7, 0xB7, 0xB7, 0xB7, 0xB7, 0xB7, 0x00, 0xB7, 0x09, 0xB7};
  EXPECT_EQ(coded, want);
  EXPECT_EQ(Apply(coded, seed), row);
}

TEST(DeltaRow, OnlyTheSignificantBytesAreCompared) {
  Bytes seed(16, 0);
  Bytes row = With(16, {3, 12});
  EXPECT_EQ(Delta(row, seed, 10), (Bytes{0x03, 0xB7}));
  EXPECT_EQ(Delta(row, row, 16), Bytes{});
}

TEST(DeltaRow, RandomRowsAgainstRandomSeedsRoundTrip) {
  for (uint32_t s = 1; s <= 300; ++s) {
    size_t length = 1 + s * 13 % 900;
    RasterRow seed = RandomRow(s, length, 0.5);
    RasterRow row = seed;
    RasterRow noise = RandomRow(s + 1000, length, (s % 7) / 6.0);
    for (size_t i = 0; i < length; ++i)
      if (noise[i] & 2) row[i] = noise[i];
    EXPECT_EQ(Apply(Delta(row, seed, static_cast<DWORD>(length)), seed), row) << s;
  }
}

TEST(DeltaRow, CapacityIsNeverExceeded) {
  Bytes seed(100, 0);
  Bytes row = RandomRow(3, 100);
  size_t full = Delta(row, seed, 100).size();
  for (DWORD capacity : {0u, 1u, 9u, 50u, static_cast<DWORD>(full - 1)}) {
    Bytes out(capacity + 8, 0xEE);
    EXPECT_EQ(EncodeDeltaRow(100, row.data(), seed.data(), out.data(), capacity), -1);
    for (size_t i = capacity; i < out.size(); ++i) ASSERT_EQ(out[i], 0xEE);
  }
}

TEST(DeltaRowBounded, FailsAtLengthLessOneOrAFarOffset) {
  Bytes out(4096);
  Bytes seed(2000, 0);
  struct Case {
    Bytes row;
    DWORD length;
    INT result;
  } cases[] = {
      {With(10, {0, 1, 2, 3, 4, 5, 6}), 10, 8},       // 8 bytes: below 10 - 1
      {With(10, {0, 1, 2, 3, 4, 5, 6, 7}), 10, -1},   // 9 bytes: reaches it
      {With(2000, {1023}), 2000, 6},                 // offset 1023 is fine
      {With(2000, {1024}), 2000, -1},                // offset 1024 is not
      {With(2000, {10, 1040}), 2000, -1},            // nor after another group
      {With(2000, {10, 1034}), 2000, 8},             // offset 1023 after a group
      {With(1, {0}), 1, -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EncodeDeltaRowBounded(c.length, c.row.data(), seed.data(), out.data(), 4096), c.result)
        << testing::PrintToString(c.length);
  }
}

}  // namespace
}  // namespace kadu_test
