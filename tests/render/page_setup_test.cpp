// Page setup and sequencing: which way each page is printed, how the band
// walk flips, and the PCL set-up bytes of raster and device pages.
#include <gtest/gtest.h>

#include "render/core/device_page.h"
#include "render/core/page_commands.h"
#include "render/core/pjl_source_media.h"
#include "render/core/print_direction.h"
#include "render/core/raster_page_setup.h"
#include "render/vector/gl2_state.h"
#include "render/vector/pcl_state.h"
#include "tests/render/pjl_fixture.h"

namespace kadu_test {
namespace {

class PageSetup : public PjlJobFixture {
 protected:
  PDEV& Desk(bool raster) {
    PDEV& p = NewPdev(kDesk, kDeskDriver);
    p.rasterMode = raster;
    Gl2StateInit(&p);
    PclStateInit(&p);
    p.page.cachedSource = -1;
    p.page.cachedMedia = -1;
    p.halftoneCell = 8;
    p.pageSize = {4800, 6600};
    return p;
  }
};

// ---- print direction -------------------------------------------------------

struct DirectionCase {
  const char* name;
  bool raster;
  int source, duplex, pageCount, manual, finishing, firstBack, landDirect, portDirect, rotated, posterSheets;
  int mpfManual;
  std::vector<int> directions;  // pages 1, 2, …
};

class Directions : public PageSetup, public ::testing::WithParamInterface<DirectionCase> {};

TEST_P(Directions, FollowTheJobLayout) {
  const DirectionCase& c = GetParam();
  PDEV& p = Desk(c.raster);
  p.devmode.dm.dmDefaultSource = short(c.source);
  p.devmode.dm.dmDuplex = short(c.duplex);
  p.devmode.priv.dwPageCount = DWORD(c.pageCount);
  p.devmode.priv.wManualDuplex = WORD(c.manual);
  p.devmode.priv.dwFinishingMode = DWORD(c.finishing);
  p.devmode.priv.wFirstPageBack = WORD(c.firstBack);
  p.devmode.priv.wLandDirect = WORD(c.landDirect);
  p.devmode.priv.wPortDirect = WORD(c.portDirect);
  p.devmode.priv.dwPosterSheets = c.posterSheets;
  p.devmode.priv.wMPFisManual = WORD(c.mpfManual);
  p.devmode.dm.dmOrientation = DMORIENT_PORTRAIT;
  p.layout.rotated = c.rotated;
  for (size_t i = 0; i < c.directions.size(); ++i)
    EXPECT_EQ(PrintDirection(&p, DWORD(i + 1)), c.directions[i]) << "page " << i + 1;
}

INSTANTIATE_TEST_SUITE_P(
    Table, Directions,
    ::testing::Values(
        DirectionCase{"Plain", false, 7, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, {0, 0, 0}},
        DirectionCase{"PortraitReversed", false, 7, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, {2, 2}},
        DirectionCase{"LandscapeDefault", true, 7, 1, 0, 0, 0, 0, 0, 0, 1, 0, 0, {3, 3}},
        DirectionCase{"LandscapeDirect", true, 7, 1, 0, 0, 0, 0, 1, 0, 1, 0, 0, {1}},
        // First half turned, second half as one page.
        DirectionCase{"ManualDuplexTrayShortEdge", true, 1, 3, 4, 1, 0, 0, 0, 0, 0, 0, 0, {2, 2, 0, 0}},
        DirectionCase{"ManualDuplexTrayOddCount", false, 259, 3, 5, 1, 0, 0, 0, 0, 0, 0, 0, {2, 2, 0, 0, 0}},
        // Manual feed on a model outside the half-rule list: alternating.
        DirectionCase{"ManualFeedDevice", false, 4, 2, 5, 1, 0, 0, 0, 0, 0, 0, 0, {2, 0, 2, 0, 0}},
        DirectionCase{"ManualFeedRaster", true, 4, 2, 5, 1, 0, 0, 0, 0, 0, 0, 0, {0, 2, 0, 2, 2}},
        // One page is no manual duplex.
        DirectionCase{"ManualDuplexOnePage", true, 1, 3, 1, 1, 0, 0, 0, 0, 0, 0, 0, {0}},
        DirectionCase{"BookletFrontFirst", true, 7, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, {0, 2, 0, 2}},
        DirectionCase{"BookletBackFirst", true, 7, 1, 0, 0, 1, 1, 0, 0, 0, 0, 0, {2, 0, 2, 0}},
        DirectionCase{"BookletRotated", false, 7, 1, 0, 0, 1, 0, 0, 0, 1, 0, 0, {3, 1}},
        DirectionCase{"PosterTwoSheetsLandDirect", true, 7, 1, 0, 0, 2, 0, 1, 0, 0, 2, 0, {1, 1}},
        DirectionCase{"PosterFourSheets", true, 7, 1, 0, 0, 2, 0, 1, 0, 0, 4, 0, {0}},
        DirectionCase{"PosterTwoSheetsRotated", true, 7, 1, 0, 0, 2, 0, 1, 1, 1, 2, 0, {2}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- walk flips --------------------------------------------------------------

TEST_F(PageSetup, BookletWithDuplexUnitFlipsEveryRasterPage) {
  PDEV& p = Desk(true);
  p.devmode.priv.dwFinishingMode = 1;
  p.devmode.dm.dmDuplex = DMDUP_VERTICAL;
  p.devmode.priv.wDeviceOptions = 0x8;
  for (DWORD n = 1; n <= 4; ++n) EXPECT_EQ(WalkFlipCount(&p, n, false), 1) << n;
  // At document end only the long-edge rule counts.
  EXPECT_EQ(WalkFlipCount(&p, 3, true), 0);
  EXPECT_EQ(WalkFlipCount(&p, 4, true), 1);
}

TEST_F(PageSetup, ManualDuplexFlipsTheFirstHalf) {
  PDEV& p = Desk(true);
  p.devmode.dm.dmDefaultSource = 1;
  p.devmode.dm.dmDuplex = DMDUP_HORIZONTAL;
  p.devmode.priv.wManualDuplex = 1;
  p.devmode.priv.dwPageCount = 4;
  std::vector<int> flips;
  for (DWORD n = 1; n <= 4; ++n) flips.push_back(WalkFlipCount(&p, n, false));
  EXPECT_EQ(flips, (std::vector<int>{1, 1, 0, 0}));
}

// ---- raster page set-up bytes --------------------------------------------------

TEST_F(PageSetup, FirstRasterPageAfterTheHeaderSendsOnlyUnitResolutionAndSide) {
  PDEV& p = Desk(true);
  p.flags |= PDEV_PRINTER_HAS_SETUP | PDEV_FIRST_PAGE;
  p.devmode.dm.dmDuplex = DMDUP_VERTICAL;
  ASSERT_TRUE(WriteRasterPageSetup(&p));
  EXPECT_EQ(Flushed(), "\x1b&u600D\x1b*t600R\x1b&a1G");
  EXPECT_FALSE(p.flags & PDEV_FIRST_PAGE);
}

TEST_F(PageSetup, LaterRasterPageWithNewPaperClosesItsSizeGroup) {
  PDEV& p = Desk(true);
  p.flags |= PDEV_PRINTER_HAS_SETUP | PDEV_PAPER_CHANGED;
  p.pageCount = 1;
  p.devmode.dm.dmPaperSize = DMPAPER_LETTER;
  p.devmode.dm.dmDuplex = DMDUP_SIMPLEX;
  ASSERT_TRUE(WriteRasterPageSetup(&p));
  EXPECT_EQ(Flushed(), "\x1b&l2A\x1b&u600D\x1b*t600R");
  p.flags |= PDEV_PAPER_CHANGED;
  p.pageCount = 2;
  ASSERT_TRUE(WriteRasterPageSetup(&p));
  EXPECT_EQ(Flushed(), "\x1b&l2A\x1b&u600D\x1b*t600R\x1b&l2a0S\x1b&u600D\x1b*t600R");
}

TEST_F(PageSetup, ManualDuplexNoticeComesBeforeTheSecondHalf) {
  PDEV& p = Desk(true);
  p.devmode.dm.dmDefaultSource = 1;
  p.devmode.dm.dmFields |= DM_DEFAULTSOURCE;
  p.devmode.priv.wManualDuplex = 1;
  p.devmode.priv.dwPageCount = 5;
  std::vector<bool> notified;
  for (DWORD sent = 0; sent < 5; ++sent) {
    p.pageCount = sent;
    ASSERT_TRUE(WriteRasterPageSetup(&p));
    notified.push_back(Flushed().find("QELNOTIFYPAPERSIDE=ON") != std::string::npos);
    kw::hooks::SpoolerResetHooks();
    CloseHandle(p.hPrinter);
    p.hPrinter = kw::hooks::SpoolerOpenMemoryPrinter();
  }
  EXPECT_EQ(notified, (std::vector<bool>{false, false, false, true, false}));
}

TEST_F(PageSetup, PrinterResetMidJobResendsSourceMediaAndSize) {
  PDEV& p = Desk(true);
  p.devmode.dm.dmDefaultSource = 1;
  p.devmode.dm.dmFields |= DM_DEFAULTSOURCE;
  p.flags |= PDEV_PRINTER_HAS_SETUP | PDEV_RESOLUTION_FALLBACK;
  p.page.cachedSource = 1;
  p.page.cachedMedia = 0;
  p.pageCount = 1;
  ASSERT_TRUE(WriteRasterPageSetup(&p));
  std::string out = Flushed();
  size_t reset = out.find("\x1b" "E");
  ASSERT_NE(reset, std::string::npos);
  std::string after = out.substr(reset);
  EXPECT_NE(after.find("\x1b&l1H"), std::string::npos) << after;
  EXPECT_NE(after.find("\x1b&n"), std::string::npos) << after;
  EXPECT_NE(after.find("a1s6d1e"), std::string::npos) << ::testing::PrintToString(after);
}

// ---- device pages ------------------------------------------------------------------

TEST_F(PageSetup, DevicePageHeaderSendsSourceOnceAcrossPages) {
  PDEV& p = Desk(false);
  p.devmode.dm.dmDefaultSource = 1;
  p.devmode.dm.dmFields |= DM_DEFAULTSOURCE;
  p.flags |= PDEV_PAPER_CHANGED;
  ASSERT_TRUE(WriteDevicePageHeader(&p));
  std::string first = Flushed();
  EXPECT_EQ(first.rfind("\x1b&l1H", 0), 0u) << first;
  std::string size = "\x1b&l0o" + std::to_string(PageSizeValue(&p)) + "a1s6d1e";
  EXPECT_NE(first.find(size), std::string::npos) << ::testing::PrintToString(first);
  // (4800 + 1) x 7200 / 600 and 6600 x 7200 / 600 tenths of decipoints.
  EXPECT_NE(first.find("\x1b*c5761.2x7920.0Y"), std::string::npos) << first;
  EXPECT_NE(first.find("\x1b%0BIP0,0,1016,1016;SC0,600,0,600;AC0,0"), std::string::npos) << first;
  p.pageCount = 1;
  ASSERT_TRUE(WriteDevicePageHeader(&p));
  std::string second = Flushed().substr(first.size());
  EXPECT_EQ(second.find("H"), second.find("H", 0)) << second;
  EXPECT_EQ(second.find("\x1b&l1H"), std::string::npos) << second;
}

TEST_F(PageSetup, TransparencyGetsABackingSheetWithOneSpace) {
  PDEV& p = Desk(false);
  p.devmode.dm.dmDefaultSource = 1;
  p.devmode.dm.dmFields |= DM_DEFAULTSOURCE;
  p.devmode.priv.wTransparencyInterleave = 1;
  p.devmode.priv.wTransparencySource = 1;
  // Find the media nibble the model maps to transparencies.
  int nibble = -1;
  for (int n = 0; n < 16 && nibble < 0; ++n) {
    p.devmode.priv.wMediaType = WORD(n);
    if (std::string(MapSourceMedia(1, n, true, false).pclType) == "Transparency") nibble = n;
  }
  if (nibble < 0) GTEST_SKIP() << "no transparency media in the mapping";
  p.devmode.priv.wMediaType = WORD(nibble);
  ASSERT_TRUE(EjectDeviceSheet(&p));
  std::string out = Flushed();
  EXPECT_EQ(out.substr(0, 1), "\f");
  EXPECT_EQ(out.substr(out.size() - 2), " \f") << out;
  EXPECT_EQ(p.page.cachedMedia, -1);
}

}  // namespace
}  // namespace kadu_test
