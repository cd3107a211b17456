// A page image sent through the page path and the band path decodes, with an
// independent decoder, to exactly what the printer should print.
#include "tests/band/band_fixture.h"

namespace kadu_test {
namespace {

enum class Path { Page, Bands };

struct RoundTrip {
  const char* name;
  PageCase page;
  Path path;
  int method;  // the compression method the page must use
};

void PrintTo(const RoundTrip& t, std::ostream* os) { *os << t.name; }

ReferenceOptions OptionsFor(const PageCase& c) {
  ReferenceOptions o;
  o.rotated = c.rotated;
  o.walk = c.walk & 3;
  bool halves = c.chosen == 1200 && !(c.working == 1200 && (c.subMode & SUBMODE_TRUE1200));
  o.halveOr = halves && !c.fallDownType;
  o.smooth = halves && c.fallDownType;
  if (c.directRaster) {
    LONG marginBytes = LONG(c.working * 3 / 300);
    o.marginPixels = marginBytes * 8 / (halves ? 2 : 1);
    o.double300 = c.working == 300;
  }
  return o;
}

PageCase P(DWORD chosen, DWORD working, DWORD sub, DWORD selector, DWORD dr, bool rotated = false, DWORD walk = 0,
           ULONG bands = 1, DWORD fall = 0) {
  PageCase c;
  c.chosen = chosen;
  c.working = working;
  c.subMode = sub;
  c.selector = selector;
  c.directRaster = dr;
  c.rotated = rotated;
  c.walk = walk;
  c.bands = bands;
  c.fallDownType = fall;
  if (rotated) {
    c.width = 187;
    c.height = 133;
  }
  return c;
}

const RoundTrip kCases[] = {
    {"adaptive600", P(600, 600, 0, 1, 0), Path::Page, 5},
    {"selector0IsAdaptive", P(600, 600, 0, 0, 0), Path::Page, 5},
    {"packbits600", P(600, 600, 0, 2, 0), Path::Page, 2},
    {"delta600", P(600, 600, 0, 3, 0), Path::Page, 3},
    {"predictive600", P(600, 600, 0, 1, 64), Path::Page, 131},
    {"predictiveSmallBlocks", P(600, 600, 0, 1, 8), Path::Page, 131},
    {"adaptiveUpsideDown", P(600, 600, 0, 1, 0, false, 3), Path::Page, 5},
    {"adaptiveWalkUp", P(600, 600, 0, 1, 0, false, 1), Path::Page, 5},
    {"adaptiveMirrored", P(600, 600, 0, 1, 0, false, 2), Path::Page, 5},
    {"adaptiveRotated", P(600, 600, 0, 1, 0, true), Path::Page, 5},
    {"adaptiveRotatedBack", P(600, 600, 0, 1, 0, true, 3), Path::Page, 5},
    {"predictiveRotated", P(600, 600, 0, 1, 64, true, 1), Path::Page, 131},
    {"deltaRotated", P(600, 600, 0, 3, 0, true, 2), Path::Page, 3},
    {"halved1200", P(1200, 1200, 0, 1, 0), Path::Page, 5},
    {"smoothed1200", P(1200, 1200, 0, 1, 0, false, 0, 1, 1), Path::Page, 5},
    {"true1200", P(1200, 1200, SUBMODE_TRUE1200, 1, 0), Path::Page, 5},
    {"predictiveHalved1200", P(1200, 1200, 0, 1, 64), Path::Page, 131},
    {"predictiveTrue1200", P(1200, 1200, SUBMODE_TRUE1200, 1, 64), Path::Page, 131},
    {"adaptive300", P(300, 300, 0, 1, 0), Path::Page, 5},
    {"predictive300", P(300, 300, 0, 1, 64), Path::Page, 131},
    {"bandPathOneBand", P(600, 600, 0, 1, 0), Path::Bands, 5},
    {"bandPathThreeBands", P(600, 600, 0, 1, 0, false, 0, 3), Path::Bands, 5},
    {"bandPathUpwards", P(600, 600, 0, 1, 0, false, 1, 3), Path::Bands, 5},
    {"bandPathRotated", P(600, 600, 0, 1, 0, true, 0, 3), Path::Bands, 5},
    {"bandPathRotatedRightToLeft", P(600, 600, 0, 1, 64, true, 2, 3), Path::Bands, 131},
    {"bandPathPredictive", P(600, 600, 0, 1, 64, false, 0, 4), Path::Bands, 131},
    {"bandPathPackBits", P(600, 600, 0, 2, 0, false, 3, 2), Path::Bands, 2},
    {"bandPathDelta", P(600, 600, 0, 3, 0, false, 0, 2), Path::Bands, 3},
};

class RasterRoundTrip : public BandFixture, public ::testing::WithParamInterface<RoundTrip> {};

TEST_P(RasterRoundTrip, DecodesToThePage) {
  const RoundTrip& t = GetParam();
  PDEV& p = Make(t.page);
  Bitmap img = TestPage(p.pageSize.cx, p.pageSize.cy, 7);
  if (t.path == Path::Page) {
    Fill(img, POINTL{0, 0});
    ASSERT_TRUE(SendRasterPage(&p));
  } else {
    ASSERT_TRUE(Banded(img));
    EXPECT_EQ(bands_.size() > 1, t.page.bands > 1);
    EXPECT_EQ(p.pageCount, 1u);
  }
  PclRasterDecode d = Decode(Sent());
  EXPECT_TRUE(d.diag.problems.empty()) << d.diag.problems.front();
  EXPECT_EQ(d.diag.clippedNonzero, 0u);
  ASSERT_EQ(d.images.size(), 1u);
  EXPECT_EQ(d.images[0].methods, std::vector<int>{t.method});
  EXPECT_EQ(d.pages, 1u);
  EXPECT_TRUE(Shows(d.images[0], Reference(img, OptionsFor(t.page))));
}

INSTANTIATE_TEST_SUITE_P(Cases, RasterRoundTrip, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kadu_test
