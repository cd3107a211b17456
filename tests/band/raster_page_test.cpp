// Page-level behaviour of raster transmission: empty pages, white rows,
// the resolution fall-back, bands written through, aborts, and the faults
// of tall pages, seeds after a block and white blocks inside a page.
#include <algorithm>

#include "kw/hooks_memory.h"
#include "render/core/raster_page_internal.h"
#include "tests/band/band_fixture.h"

namespace kadu_test {
namespace {

size_t Count(const std::string& s, const std::string& what) {
  size_t n = 0;
  for (size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + 1)) ++n;
  return n;
}

PageCase Method(DWORD selector, DWORD directRaster) {
  PageCase c;
  c.selector = selector;
  c.directRaster = directRaster;
  return c;
}

class RasterPage : public BandFixture {};

struct EmptyCase {
  const char* name;
  PageCase page;
  const char* start;
  const char* end;
};

TEST_F(RasterPage, EmptyPageSendsNoRows) {
  const EmptyCase cases[] = {
      {"adaptive", Method(1, 0), "\x1B*r1A", "\x1B*rC\x1B*v0O"},
      {"packbits", Method(2, 0), "\x1B*r1A\x1B*b2M", "\x1B*rC\x1B*v0O"},
      {"delta", Method(3, 0), "\x1B*r1A\x1B*b3M", "\x1B*rC\x1B*v0O"},
      {"predictive", Method(1, 64), "\x1B*b131M\x1B*r", "\x1B*r32768C"},
  };
  for (const EmptyCase& c : cases) {
    SCOPED_TRACE(c.name);
    PDEV& p = Make(c.page);
    ASSERT_TRUE(SendRasterPage(&p));
    std::string s = Sent();
    size_t start = s.find(c.start), end = s.find(c.end);
    ASSERT_NE(start, std::string::npos);
    ASSERT_NE(end, std::string::npos);
    std::string between = s.substr(start + std::strlen(c.start), end - start - std::strlen(c.start));
    EXPECT_EQ(between.find('W'), std::string::npos) << "a transfer on an empty page";
    EXPECT_EQ(between.find('Y'), std::string::npos);
    PclRasterDecode d = Decode(s);
    ASSERT_EQ(d.images.size(), 1u);
    EXPECT_TRUE(d.images[0].rows.empty());
  }
}

TEST_F(RasterPage, WhiteGroupOfEightRowsOnlyCounts) {
  PageCase c = Method(1, 0);
  c.height = 64;
  PDEV& p = Make(c);
  Bitmap img(c.width, c.height);
  img.Set(5, 20);
  Fill(img, POINTL{0, 0});
  RasterSource all = BandBitmapSource(&p, POINTL{0, 0});
  ASSERT_TRUE(BeginPageRaster(&p, all));
  size_t before = Sent().size();
  RasterSource top = all;
  top.rect.bottom = 8;  // rows 0-7: white
  ASSERT_TRUE(SendSourceRows(&p, top));
  EXPECT_EQ(p.bandState.adaptive.pendingEmpty, 8u);
  EXPECT_EQ(Sent().size(), before);
  top.rect.bottom = 16;  // rows 8-15: white too
  ASSERT_TRUE(SendSourceRows(&p, top));
  EXPECT_EQ(p.bandState.adaptive.pendingEmpty, 16u);
  ASSERT_TRUE(SendSourceRows(&p, all));
  ASSERT_TRUE(EndRasterPage(&p));
  ASSERT_TRUE(FinishPageOutput(&p));
  PclRasterDecode d = Decode(Sent());
  ASSERT_EQ(d.images.size(), 1u);
  EXPECT_TRUE(Shows(d.images[0], Reference(img, ReferenceOptions{})));
}

struct FallbackCase {
  const char* name;
  PageCase page;
  int divisor;        // of the page that did not fit
  LONG marginPixels;  // DirectRaster margin at the lower resolution
  const char* fullResolution;  // raster resolution command of a page that fits
  const char* halfResolution;  // and of the page sent again
};

TEST_F(RasterPage, PageThatDoesNotFitComesOutAgainAtHalfResolution) {
  PageCase true1200;
  true1200.chosen = true1200.working = 1200;
  true1200.subMode = SUBMODE_TRUE1200;
  true1200.directRaster = 64;
  true1200.width = 400;
  true1200.height = 300;
  PageCase adaptive600;
  adaptive600.width = 400;
  adaptive600.height = 300;
  const FallbackCase cases[] = {
      {"adaptive600", adaptive600, 2, 0, "\x1B*t600R", "\x1B*t300R"},
      {"directRasterTrue1200", true1200, 2, 48, "\x1B/t12001200R", "\x1B*t600R"},
  };
  for (const FallbackCase& c : cases) {
    SCOPED_TRACE(c.name);
    Bitmap dense = TestPage(c.page.width, c.page.height, 3);
    // The printer's memory: three quarters of what the page needs at full
    // resolution, so that it fits at half.
    (void)Make(c.page);
    Fill(dense, POINTL{0, 0});
    ASSERT_TRUE(SendRasterPage(pdev_.get()));
    DWORD memoryKB = std::max<DWORD>(1, DWORD(Sent().size() * 3 / 4 / 1024));
    PDEV& p = Make(c.page);
    p.flags |= PDEV_HEADER_PENDING | PDEV_FIRST_PAGE;
    SpoolSetStagingLimit(&p, memoryKB);
    ASSERT_TRUE(SpoolStartStaging(&p));
    Fill(dense, POINTL{0, 0});
    ASSERT_TRUE(SendRasterPage(&p));
    std::string first = Sent();
    // The header was staged with the page and went out again with it, once.
    EXPECT_EQ(Count(first, "@PJL ENTER LANGUAGE"), 1u);
    EXPECT_TRUE(p.flags & PDEV_HEADER_SENT);
    EXPECT_NE(first.find(c.halfResolution), std::string::npos);
    EXPECT_EQ(first.find(c.fullResolution), std::string::npos);
    PclRasterDecode d = Decode(first);
    ASSERT_EQ(d.images.size(), 1u) << "the discarded try left raster behind";
    ReferenceOptions half;
    half.divisor = c.divisor;
    half.marginPixels = c.marginPixels;
    EXPECT_TRUE(Shows(d.images[0], Reference(dense, half)));
    // The page's resolution is back for the next page.
    EXPECT_EQ(DWORD(p.devmode.dm.dmYResolution), c.page.working);
    EXPECT_EQ(p.resolution, c.page.chosen);
    EXPECT_EQ(p.subMode, c.page.subMode);
    EXPECT_EQ(p.bandState.divisor, 1u);
    EXPECT_FALSE(p.flags & PDEV_RESOLUTION_FALLBACK);

    // A page that fits goes at full resolution.
    Bitmap light(c.page.width, c.page.height);
    light.Set(10, 10);
    light.Set(200, 100);
    Fill(light, POINTL{0, 0});
    p.pageCount = 1;
    ASSERT_TRUE(SendRasterPage(&p));
    std::string both = Sent();
    EXPECT_NE(both.find(c.fullResolution, first.size()), std::string::npos);
    PclRasterDecode d2 = Decode(both);
    ASSERT_EQ(d2.images.size(), 2u);
    ReferenceOptions full;
    full.marginPixels = c.marginPixels * 2;
    EXPECT_TRUE(Shows(d2.images[1], Reference(light, full)));
  }
}

TEST_F(RasterPage, PageOfSeveralBandsIsWrittenThroughNotFallenBack) {
  PageCase c;
  c.width = 400;
  c.height = 300;
  c.bands = 3;
  PDEV& p = Make(c);
  SpoolSetStagingLimit(&p, 2);
  ASSERT_TRUE(SpoolStartStaging(&p));
  Bitmap dense = TestPage(c.width, c.height, 3);
  ASSERT_TRUE(Banded(dense));
  EXPECT_GT(bands_.size(), 1u);
  PclRasterDecode d = Decode(Sent());
  ASSERT_EQ(d.images.size(), 1u);
  EXPECT_TRUE(Shows(d.images[0], Reference(dense, ReferenceOptions{})));
  EXPECT_TRUE(p.flags & PDEV_STAGING) << "staging is back on for the next page";
  EXPECT_EQ(p.bandState.divisor, 1u);
}

TEST_F(RasterPage, NoFallbackBelow600WhereStagedBytesGoThrough) {
  PageCase c;
  c.chosen = c.working = 300;
  c.width = 400;
  c.height = 300;
  PDEV& p = Make(c);
  SpoolSetStagingLimit(&p, 1);
  ASSERT_TRUE(SpoolStartStaging(&p));
  Bitmap dense = TestPage(c.width, c.height, 5);
  Fill(dense, POINTL{0, 0});
  ASSERT_TRUE(SendRasterPage(&p));
  PclRasterDecode d = Decode(Sent());
  ASSERT_EQ(d.images.size(), 1u);
  EXPECT_TRUE(Shows(d.images[0], Reference(dense, ReferenceOptions{})));
}

TEST_F(RasterPage, CancelledJobSendsResetAndNoPage) {
  PDEV& p = Make(PageCase{});
  kw::hooks::EngineSetAbort(true);
  EXPECT_FALSE(SendRasterPage(&p));
  std::string s = Sent();
  EXPECT_EQ(s, "\x1B" "E");
}

TEST_F(RasterPage, WriteFailureFailsThePage) {
  PDEV& p = Make(PageCase{});
  Fill(TestPage(203, 150, 1), POINTL{0, 0});
  p.flags |= PDEV_WRITE_ERROR;
  EXPECT_FALSE(SendRasterPage(&p));
}

// Tall custom papers at high resolution have more than 65535 rows of white,
// or of one repeated row: none may be lost.
TEST_F(RasterPage, TallPagesLoseNoRows) {
  struct Tall {
    const char* name;
    bool repeated;
  } cases[] = {{"white", false}, {"repeated", true}};
  for (const Tall& t : cases) {
    SCOPED_TRACE(t.name);
    PageCase c;
    c.width = 32;
    c.height = 70001;
    PDEV& p = Make(c);
    Bitmap img(c.width, c.height);
    for (LONG y = 0; y < c.height; ++y) {
      if (t.repeated || y == 0 || y == c.height - 1) img.Set(3, y);
    }
    img.Set(30, c.height - 1);
    Fill(img, POINTL{0, 0});
    ASSERT_TRUE(SendRasterPage(&p));
    PclRasterDecode d = Decode(Sent());
    ASSERT_EQ(d.images.size(), 1u);
    ASSERT_EQ(d.images[0].rows.size(), size_t(c.height));
    EXPECT_TRUE(Shows(d.images[0], Reference(img, ReferenceOptions{})));
  }
}

// Blocks of wide, busy rows: the row after each block must print the same
// whether the printer keeps its seed row across blocks or clears it.
TEST_F(RasterPage, RowsAfterABlockDoNotLeanOnTheSeed) {
  PageCase c;
  c.width = 4000;
  c.height = 120;
  PDEV& p = Make(c);
  Bitmap img(c.width, c.height);
  std::mt19937 rng(11);
  for (LONG y = 0; y < c.height; ++y) {
    for (LONG x = 0; x < c.width; ++x) {
      // Pairs of rows that differ in a few pixels: delta rows win inside a block.
      bool on = ((x * 7 + (y / 2) * 13) % 5 == 0) ^ (rng() % 97 == 0);
      if (on) img.Set(x, y);
    }
  }
  Fill(img, POINTL{0, 0});
  ASSERT_TRUE(SendRasterPage(&p));
  std::string s = Sent();
  EXPECT_GT(Count(s, "\x1B*b5M"), 2u) << "the page should need several blocks";
  for (bool reset : {false, true}) {
    PclDecodeOptions o;
    o.defaultWidthBytes = 4096;
    o.seedResetPerBlock = reset;
    PclRasterDecode d = DecodePclRaster(reinterpret_cast<const uint8_t*>(s.data()), s.size(), o);
    ASSERT_EQ(d.images.size(), 1u);
    EXPECT_TRUE(Shows(d.images[0], Reference(img, ReferenceOptions{}))) << "seed reset per block: " << reset;
  }
}

// A whole method-131 block of white rows inside the page is not dropped: the
// rows below it stay where they are.
TEST_F(RasterPage, WhiteBlockInsideAPageKeepsItsPlace) {
  PageCase c;
  c.directRaster = 16;
  c.width = 96;
  c.height = 100;
  PDEV& p = Make(c);
  Bitmap img(c.width, c.height);
  for (LONG x = 0; x < c.width; x += 3) {
    img.Set(x, 2);
    img.Set(x, 90);
  }
  Fill(img, POINTL{0, 0});
  ASSERT_TRUE(SendRasterPage(&p));
  PclRasterDecode d = Decode(Sent());
  ASSERT_EQ(d.images.size(), 1u);
  ReferenceOptions o;
  o.marginPixels = 48;
  EXPECT_TRUE(Shows(d.images[0], Reference(img, o)));
  EXPECT_EQ(d.images[0].rows.size() % 16, 0u);
}

// Rows of noise code longer than they are; the block memory is sized for it.
TEST_F(RasterPage, MethodOneThirtyOneBlocksHoldRowsThatCodeLonger) {
  PageCase c;
  c.directRaster = 64;
  c.width = 800;
  c.height = 130;
  PDEV& p = Make(c);
  Bitmap img(c.width, c.height);
  std::mt19937 rng(5);
  for (auto& b : img.bits) b = uint8_t(rng());
  Fill(img, POINTL{0, 0});
  EXPECT_GE(p.bandState.blockSize, PredictiveBlockSize(p.bandState.row.stride, 64));
  ASSERT_TRUE(SendRasterPage(&p));
  PclRasterDecode d = Decode(Sent());
  ASSERT_EQ(d.images.size(), 1u);
  EXPECT_TRUE(d.diag.problems.empty());
  ReferenceOptions o;
  o.marginPixels = 48;
  EXPECT_TRUE(Shows(d.images[0], Reference(img, o)));
}

TEST_F(RasterPage, InvertBitInvertsTheRowsSent) {
  PageCase c = Method(1, 0);
  c.walk = WALK_INVERT;
  c.width = 64;
  c.height = 16;
  PDEV& p = Make(c);
  Bitmap img(c.width, c.height);
  img.Set(0, 0);
  Fill(img, POINTL{0, 0});
  ASSERT_TRUE(SendRasterPage(&p));
  PclRasterDecode d = Decode(Sent());
  ASSERT_EQ(d.images.size(), 1u);
  ASSERT_EQ(d.images[0].rows.size(), 16u);
  EXPECT_EQ(d.images[0].rows[0][0], 0x7F);
  EXPECT_EQ(d.images[0].rows[5][7], 0xFF);
}

TEST_F(RasterPage, WalkToggleFlipsBothDirectionBits) {
  PDEV& p = Make(PageCase{});
  p.devmode.priv.wBandWalk = WALK_INVERT | WALK_UP;
  ToggleWalkDirection(&p);
  EXPECT_EQ(WalkBits(&p), DWORD(WALK_INVERT | WALK_RIGHT_TO_LEFT));
  ToggleWalkDirection(&p);
  EXPECT_EQ(WalkBits(&p), DWORD(WALK_INVERT | WALK_UP));
}

}  // namespace
}  // namespace kadu_test

namespace kadu_test {
namespace {

// Every allocation of the document buffers can fail; each failure leaves
// nothing allocated.
TEST_F(RasterPage, AllocationFailureFreesEveryDocumentBuffer) {
  PageCase c;
  c.directRaster = 64;
  PDEV& p = Make(c);
  FreeDocumentBuffers(&p);
  size_t live = kw::hooks::MemoryLiveBlocks();
  uint64_t before = kw::hooks::MemoryAllocationCount();
  ASSERT_TRUE(AllocDocumentBuffers(&p));
  uint64_t allocations = kw::hooks::MemoryAllocationCount() - before;
  FreeDocumentBuffers(&p);
  EXPECT_EQ(kw::hooks::MemoryLiveBlocks(), live);
  ASSERT_GE(allocations, 8u);
  for (uint64_t n = 1; n <= allocations; ++n) {
    SCOPED_TRACE(n);
    kw::hooks::MemoryFailAt(n);
    EXPECT_FALSE(AllocDocumentBuffers(&p));
    kw::hooks::MemoryFailAt(0);
    EXPECT_EQ(kw::hooks::MemoryLiveBlocks(), live);
    EXPECT_EQ(p.bandState.block, nullptr);
    EXPECT_EQ(p.stream.block, nullptr);
  }
  EXPECT_TRUE(AllocDocumentBuffers(&p));
}

}  // namespace
}  // namespace kadu_test
