// A raster job through the document and page hooks, on the page path and on
// the band path: the job header once before the first page's raster, one end
// of raster per page, the pages counted, every page decoding to its image.
#include "render/core/hook_impl.h"
#include "render/core/print_direction.h"
#include "tests/band/band_fixture.h"

namespace kadu_test {
namespace {

size_t Count(const std::string& s, const std::string& what) {
  size_t n = 0;
  for (size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + 1)) ++n;
  return n;
}

struct JobCase {
  const char* name;
  bool banded;
  ULONG bands;
  DWORD directRaster;
};

void PrintTo(const JobCase& j, std::ostream* os) { *os << j.name; }

class RasterJob : public BandFixture, public ::testing::WithParamInterface<JobCase> {};

TEST_P(RasterJob, HeaderOncePagesEndedOnce) {
  const JobCase& j = GetParam();
  PageCase c;
  c.bands = j.bands;
  c.directRaster = j.directRaster;
  PDEV& p = Make(c);
  // Pages are staged, as the default settings ask, in a printer of 8 MB.
  SpoolSetStagingLimit(&p, 8192);
  std::u16string name = u"Job";
  ASSERT_TRUE(ImplStartDoc(&surface_, const_cast<LPWSTR>(name.c_str()), 7))  ;
  std::vector<Bitmap> pages = {TestPage(c.width, c.height, 1), TestPage(c.width, c.height, 2)};
  for (const Bitmap& img : pages) {
    ASSERT_TRUE(ImplStartPage(&surface_));
    if (j.banded) {
      ASSERT_TRUE(Banded(img));
    } else {
      Fill(img, POINTL{0, 0});
      ASSERT_TRUE(ImplSendPage(&surface_));
    }
  }
  EXPECT_EQ(p.pageCount, 2u);
  EXPECT_EQ(p.layout.pageIndex, 2u);
  ASSERT_TRUE(ImplEndDoc(&surface_, 0));
  std::string s = Sent();
  EXPECT_EQ(Count(s, "@PJL ENTER LANGUAGE=PCL"), 1u);
  const char* start = j.directRaster ? "\x1B*b131M" : "\x1B*r1A";
  const char* end = j.directRaster ? "\x1B*r32768C" : "\x1B*rC";
  EXPECT_LT(s.find("@PJL ENTER LANGUAGE=PCL"), s.find(start));
  EXPECT_EQ(Count(s, start), 2u);
  EXPECT_EQ(Count(s, end), 2u);
  PclRasterDecode d = Decode(s);
  ASSERT_EQ(d.images.size(), 2u);
  EXPECT_EQ(d.pages, 2u);
  ReferenceOptions o;
  o.marginPixels = j.directRaster ? 48 : 0;
  for (size_t i = 0; i < 2; ++i) {
    // A page with a walk flip (long-edge duplex backs on this model) is turned by 180°.
    o.walk = WalkFlipCount(&p, DWORD(i + 1), false) % 2 ? 3 : 0;
    EXPECT_TRUE(Shows(d.images[i], Reference(pages[i], o))) << "page " << i + 1 << " walk " << o.walk;
  }
  EXPECT_EQ(WalkBits(&p), 0u) << "flips undone after each page";
}

const JobCase kJobs[] = {
    {"pagePath", false, 1, 0},
    {"pagePathDirectRaster", false, 1, 64},
    {"bandPathOneBand", true, 1, 0},
    {"bandPathThreeBands", true, 3, 0},
    {"bandPathThreeBandsDirectRaster", true, 3, 64},
};

INSTANTIATE_TEST_SUITE_P(Paths, RasterJob, ::testing::ValuesIn(kJobs),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kadu_test
