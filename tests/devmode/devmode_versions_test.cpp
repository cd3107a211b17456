// DEVMODE versions (dmSpecVersion) by public size, the compatible copy between records
// of different shapes, and the record's layout against its offsets table.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "common/devmode.h"
#include "common/devmode_ranges.h"
#include "tests/support/devmode_decoder.h"

namespace {

using kadu::CopyDevmodeCompatible;
using kadu::DevmodeSpecForSize;

// A record of a given shape in a buffer of its own size, every byte numbered.
struct Shaped {
  std::vector<uint8_t> bytes;
  DEVMODEW* dm() { return reinterpret_cast<DEVMODEW*>(bytes.data()); }
};

Shaped Make(WORD size, WORD extra, WORD version, WORD driverVersion, uint8_t fill) {
  Shaped s;
  s.bytes.assign(std::max<size_t>(size_t(size) + extra, sizeof(DEVMODEW)), 0);
  for (size_t i = 0; i < s.bytes.size(); ++i) s.bytes[i] = uint8_t(fill + i * 7);
  s.dm()->dmSize = size;
  s.dm()->dmDriverExtra = extra;
  s.dm()->dmSpecVersion = version;
  s.dm()->dmDriverVersion = driverVersion;
  return s;
}

TEST(DevmodeVersions, VersionBySize) {
  struct Case {
    WORD size, own, expected;
  } cases[] = {
      {188, 0x0999, 0x0320}, {212, 0x0999, 0x0400}, {220, 0x0320, 0x0401},
      {156, 0x0401, 0x0401}, {300, 0x0000, 0x0000}, {0, 0x0123, 0x0123},
  };
  for (const Case& c : cases) {
    DEVMODEW dm = {};
    dm.dmSize = c.size;
    dm.dmSpecVersion = c.own;
    EXPECT_EQ(DevmodeSpecForSize(&dm), c.expected) << c.size;
  }
}

TEST(DevmodeVersions, CopyKeepsTheTargetsShape) {
  struct Case {
    WORD inSize, inExtra, outSize, outExtra;
    int copied;
    WORD outVersion;
  } cases[] = {
      {220, 1596, 220, 1596, 220 + 1596, 0x0401},  // same shape
      {220, 1596, 188, 1596, 188 + 1596, 0x0320},  // to the 3.51 shape: its own version survives
      {188, 1596, 220, 1596, 188 + 1596, 0x0401},  // from the 3.51 shape
      {220, 700, 220, 1596, 220 + 700, 0x0401},    // older, shorter private block
      {220, 1596, 212, 0, 212, 0x0400},            // public only
      {212, 0, 220, 1596, 212, 0x0401},
  };
  for (const Case& c : cases) {
    Shaped in = Make(c.inSize, c.inExtra, DevmodeSpecForSize(Make(c.inSize, 0, 0x0401, 0, 0).dm()), 0x0500, 11);
    Shaped out = Make(c.outSize, c.outExtra, 0x0401, 0x0350, 99);
    std::vector<uint8_t> before = out.bytes;
    EXPECT_EQ(CopyDevmodeCompatible(in.dm(), out.dm()), c.copied) << c.inSize << "->" << c.outSize;
    EXPECT_EQ(out.dm()->dmSize, c.outSize);
    EXPECT_EQ(out.dm()->dmDriverExtra, c.outExtra);
    EXPECT_EQ(out.dm()->dmDriverVersion, 0x0350);
    EXPECT_EQ(out.dm()->dmSpecVersion, c.outVersion);
    EXPECT_EQ(0, std::memcmp(out.bytes.data(), in.bytes.data(), 64));
    size_t pub = std::min(c.inSize, c.outSize), priv = std::min(c.inExtra, c.outExtra);
    if (pub > 72) {
      EXPECT_EQ(0, std::memcmp(out.bytes.data() + 72, in.bytes.data() + 72, pub - 72));
    }
    EXPECT_EQ(0, std::memcmp(out.bytes.data() + c.outSize, in.bytes.data() + c.inSize, priv));
    // Bytes beyond what both records have keep their values.
    for (size_t i = c.outSize + priv; i < out.bytes.size(); ++i) ASSERT_EQ(out.bytes[i], before[i]) << i;
  }
}

TEST(DevmodeVersions, CopyRefusesMissingOrUnknownRecords) {
  Shaped a = Make(220, 1596, 0x0401, 0x0500, 1), b = Make(220, 1596, 0x0401, 0x0500, 2);
  EXPECT_EQ(CopyDevmodeCompatible(nullptr, b.dm()), -1);
  EXPECT_EQ(CopyDevmodeCompatible(a.dm(), nullptr), -1);
  Shaped odd = Make(100, 0, 0, 0, 3);  // neither a known size nor a version
  EXPECT_EQ(CopyDevmodeCompatible(odd.dm(), b.dm()), -1);
  EXPECT_EQ(CopyDevmodeCompatible(a.dm(), odd.dm()), -1);
}

TEST(DevmodeVersions, StampsOnlyInRecordsThatHoldThem) {
  struct Case {
    WORD size, extra;
    bool holds;
  } cases[] = {{220, 1596, true}, {220, 864, true}, {220, 863, false}, {220, 0, false}, {188, 1596, true}};
  for (const Case& c : cases) {
    DEVMODEW dm = {};
    dm.dmSize = c.size;
    dm.dmDriverExtra = c.extra;
    EXPECT_EQ(kadu::DevmodeHoldsStamps(&dm), c.holds) << c.extra;
  }
}

// The driver's structure and its range table agree with the offsets table
// the decoder was written from.
TEST(DevmodeVersions, LayoutMatchesTheOffsetsTable) {
  kadu::DriverDevmode dm = {};
  dm.priv.wDataStamps[2] = 0x1234;
  dm.priv.dwPosterSheets = -1;
  dm.priv.wUiQuality = -4;
  dm.priv.wWatermarkAnchor = 6;
  dm.dm.dmPrintQuality = 600;
  dm.priv.dwFinishingOption = 0x03330001;
  std::memcpy(dm.priv.szFavoriteName, u"Fav", 8);
  kadu_test::DecodedDevmode d = kadu_test::DecodeDevmode(&dm, sizeof(dm));
  EXPECT_EQ(d["stamp2"], 0x1234);
  EXPECT_EQ(d["dwPosterSheets"], -1);
  EXPECT_EQ(d["wUiQuality"], -4);
  EXPECT_EQ(d["wWatermarkAnchor"], 6);
  EXPECT_EQ(d["dmPrintQuality"], 600);
  EXPECT_EQ(d["dwFinishingOption"], 0x03330001);
  EXPECT_EQ(d.Text("szFavoriteName"), u"Fav");

  size_t n = 0;
  const kadu::FieldRange* rows = kadu::DevmodeFieldRanges(&n);
  std::vector<std::string> known = kadu_test::DevmodeDecoderFields();
  size_t matched = 0;
  for (size_t i = 0; i < n; ++i) {
    if (std::find(known.begin(), known.end(), rows[i].name) == known.end()) continue;
    EXPECT_EQ(rows[i].offset, kadu_test::DevmodeFieldOffset(rows[i].name)) << rows[i].name;
    ++matched;
  }
  EXPECT_GT(matched, 70u);
}

}  // namespace
