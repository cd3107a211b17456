#include <gtest/gtest.h>

#include <set>

#include "kw/hooks_engine.h"
#include "kw/wide.h"
#include "windows.h"

namespace {

// Glyph handle of a character, or -1 when the set does not have it.
long HandleOf(const FD_GLYPHSET* gs, WCHAR wc) {
  for (ULONG r = 0; r < gs->cRuns; ++r) {
    const WCRUN& run = gs->awcrun[r];
    if (wc >= run.wcLow && wc < run.wcLow + run.cGlyphs) return long(run.phg[wc - run.wcLow]);
  }
  return -1;
}

// Runs sorted, disjoint, not adjacent, inside the block; counts add up.
void ExpectWellFormed(const FD_GLYPHSET* gs) {
  const BYTE* begin = reinterpret_cast<const BYTE*>(gs);
  const BYTE* end = begin + gs->cjThis;
  ULONG glyphs = 0;
  for (ULONG r = 0; r < gs->cRuns; ++r) {
    const WCRUN& run = gs->awcrun[r];
    ASSERT_GT(run.cGlyphs, 0);
    if (r > 0) {
      ASSERT_GT(run.wcLow, gs->awcrun[r - 1].wcLow + gs->awcrun[r - 1].cGlyphs);
    }
    const BYTE* h = reinterpret_cast<const BYTE*>(run.phg);
    ASSERT_GE(h, reinterpret_cast<const BYTE*>(gs->awcrun + gs->cRuns));
    ASSERT_LE(h + run.cGlyphs * sizeof(HGLYPH), end);
    glyphs += run.cGlyphs;
  }
  EXPECT_EQ(glyphs, gs->cGlyphsSupported);
  EXPECT_EQ(gs->cjThis, offsetof(FD_GLYPHSET, awcrun) + gs->cRuns * sizeof(WCRUN) + glyphs * sizeof(HGLYPH));
  EXPECT_EQ(gs->flAccel, ULONG(GS_8BIT_HANDLES));
}

TEST(EngComputeGlyphSet, AnsiCodePage1252) {
  const FD_GLYPHSET* gs = EngComputeGlyphSet(0, 0, 256);
  ASSERT_NE(gs, nullptr);
  ExpectWellFormed(gs);
  EXPECT_EQ(gs->cGlyphsSupported, 256u);
  std::set<long> handles;
  for (ULONG r = 0; r < gs->cRuns; ++r)
    for (USHORT i = 0; i < gs->awcrun[r].cGlyphs; ++i) handles.insert(long(gs->awcrun[r].phg[i]));
  EXPECT_EQ(handles.size(), 256u);
  // ASCII is one run; the Latin-1 upper half another.
  EXPECT_EQ(gs->awcrun[0].wcLow, 0);
  EXPECT_EQ(gs->awcrun[0].cGlyphs, 128);
  EXPECT_EQ(HandleOf(gs, u'A'), 0x41);
  EXPECT_EQ(HandleOf(gs, u'\u00E9'), 0xE9);
  EXPECT_EQ(HandleOf(gs, u'\u20AC'), 0x80);
  EXPECT_EQ(HandleOf(gs, u'\u2122'), 0x99);
  EXPECT_EQ(HandleOf(gs, u'\u0080'), -1);  // 0x80 is the euro sign
  EXPECT_EQ(HandleOf(gs, u'\u0081'), 0x81);  // unassigned codes keep their value
  // Quotation marks: a run of three whose codes are not in order.
  EXPECT_EQ(HandleOf(gs, u'\u2018'), 0x91);
  EXPECT_EQ(HandleOf(gs, u'\u2019'), 0x92);
  EXPECT_EQ(HandleOf(gs, u'\u201A'), 0x82);
}

TEST(EngComputeGlyphSet, FollowsTheConfiguredAnsiCodePage) {
  kw::SetAnsiCodePage(932);
  const FD_GLYPHSET* gs = EngComputeGlyphSet(0, 0xA1, 63);
  const FD_GLYPHSET* explicit1252 = EngComputeGlyphSet(1252, 0xA1, 63);
  kw::SetAnsiCodePage(1252);
  ASSERT_NE(gs, nullptr);
  ExpectWellFormed(gs);
  ASSERT_EQ(gs->cRuns, 1u);  // half-width katakana
  EXPECT_EQ(gs->awcrun[0].wcLow, 0xFF61);
  EXPECT_EQ(gs->awcrun[0].cGlyphs, 63);
  EXPECT_EQ(gs->awcrun[0].phg[62], 0xDFu);
  ASSERT_NE(explicit1252, nullptr);
  EXPECT_EQ(explicit1252->awcrun[0].wcLow, 0xA1);
}

TEST(EngComputeGlyphSet, RefusesRangesOutsideOneByte) {
  EXPECT_EQ(EngComputeGlyphSet(0, 0, 0), nullptr);
  EXPECT_EQ(EngComputeGlyphSet(0, 200, 57), nullptr);
  EXPECT_EQ(EngComputeGlyphSet(0, -1, 2), nullptr);
}

TEST(EngCheckAbort, FollowsTheSwitch) {
  uint64_t calls = kw::hooks::EngineCheckAbortCalls();
  EXPECT_FALSE(EngCheckAbort(nullptr));
  kw::hooks::EngineSetAbort(true);
  EXPECT_TRUE(EngCheckAbort(nullptr));
  kw::hooks::EngineSetAbort(false);
  EXPECT_FALSE(EngCheckAbort(nullptr));
  EXPECT_EQ(kw::hooks::EngineCheckAbortCalls(), calls + 3);
}

}  // namespace
