// GDIINFO and DEVINFO as DrvEnablePDEV reports them, in both rendering modes,
// for the shipped models.
#include <cstring>

#include "render/core/pdev_lifecycle.h"
#include "tests/render/pdev_fixture.h"

namespace kadu_test {
namespace {

struct ModeCase {
  const char16_t* printer;
  bool raster;
};

class PdevInfo : public PdevWorld, public ::testing::WithParamInterface<ModeCase> {};

TEST_P(PdevInfo, FieldsFollowTheRenderingMode) {
  const ModeCase c = GetParam();
  HANDLE h = Open(c.printer);
  kadu::DriverDevmode dm = WithMode(c.printer, c.raster);
  EnabledPdev e = Enable(c.printer, &dm, h);
  ASSERT_NE(e.pdev, nullptr) << GetLastError();
  ASSERT_EQ(e.pdev->rasterMode, c.raster ? TRUE : FALSE);
  const PDEV& p = *e.pdev;
  EXPECT_TRUE(p.resolution == 300 || p.resolution == 600 || p.resolution == 1200);
  EXPECT_EQ(e.gdi.ulVersion, 0x500u);
  EXPECT_EQ(e.gdi.ulTechnology, 2u);
  EXPECT_EQ(e.gdi.ulAspectX, 500u);
  EXPECT_EQ(e.gdi.ulAspectXY, 707u);
  EXPECT_EQ(e.gdi.denStyleStep, LONG(p.resolution / 25));
  EXPECT_EQ(e.gdi.cBitsPixel, 1u);
  EXPECT_EQ(e.gdi.ulNumColors, 2u);
  EXPECT_EQ(e.gdi.ciDevice.Red.x, 6380);
  EXPECT_EQ(e.gdi.ciDevice.MagentaInYellowDye, 10000);
  EXPECT_GT(e.gdi.ulHorzRes, 0u);
  EXPECT_GT(e.gdi.ulLogPixelsX, 0u);
  if (c.raster) {
    EXPECT_EQ(e.gdi.ulHorzRes % 8, 0u);
    EXPECT_EQ(e.gdi.ulVertRes % 8, 0u);
    EXPECT_EQ(e.gdi.flTextCaps, 0x1807u);
    EXPECT_EQ(e.gdi.ulHTOutputFormat, ULONG(HT_FORMAT_1BPP));
    EXPECT_EQ(e.gdi.flHTFlags, 0u);
    EXPECT_EQ(e.dev.flGraphicsCaps & ~FLONG(GCAPS_DONTJOURNAL), 0x200430u);
    EXPECT_EQ(e.dev.cFonts, 0u);
    EXPECT_EQ(e.dev.cxDither, USHORT(p.halftoneCell));
  } else {
    EXPECT_EQ(e.gdi.flTextCaps, 0x1817u);
    EXPECT_EQ(e.gdi.ulHTPatternSize, ULONG(HT_PATSIZE_6x6_M));
    EXPECT_EQ(e.gdi.ulHTOutputFormat, ULONG(HT_FORMAT_24BPP));
    EXPECT_EQ(e.gdi.flHTFlags, ULONG(HT_FLAG_HAS_BLACK_DYE));
    EXPECT_EQ(e.dev.flGraphicsCaps & ~FLONG(GCAPS_DONTJOURNAL), 0x011Fu);
    EXPECT_EQ(e.dev.cxDither, 0);
    EXPECT_NE(e.pdev->resourceModule, nullptr);
  }
  EXPECT_EQ(e.dev.iDitherFormat, ULONG(BMF_24BPP));
  EXPECT_NE(e.dev.hpalDefault, nullptr);
  EXPECT_EQ(e.dev.hpalDefault, p.palette);
  for (HSURF s : e.patterns) EXPECT_EQ(s, nullptr);
  ImplDisablePDEV(reinterpret_cast<DHPDEV>(e.pdev));
  ClosePrinter(h);
}

INSTANTIATE_TEST_SUITE_P(Models, PdevInfo,
                         ::testing::Values(ModeCase{kDesk, true}, ModeCase{kDesk, false}, ModeCase{kOffice, true},
                                           ModeCase{kOffice, false}, ModeCase{kJapan, true},
                                           ModeCase{kJapan, false}),
                         [](const ::testing::TestParamInfo<ModeCase>& i) {
                           std::string name = kw::Narrow(i.param.printer);
                           name = name.substr(0, name.find(' '));
                           return name + (i.param.raster ? "Raster" : "Device");
                         });

TEST_F(PdevWorld, DontJournalOnlyForPlainJobs) {
  HANDLE h = Open(kDesk);
  kadu::DriverDevmode plain = WithMode(kDesk, true);
  plain.priv.dwFinishingMode = 0;
  plain.priv.dwJournalFlag = 0;
  plain.priv.wWatermarkFlags = 0;
  plain.priv.wManualDuplex = 0;
  plain.priv.wDetailFlags &= ~0x8000u;
  EnabledPdev a = Enable(kDesk, &plain, h);
  ASSERT_NE(a.pdev, nullptr);
  kadu::DriverDevmode journal = plain;
  journal.priv.dwJournalFlag = 1;
  EnabledPdev b = Enable(kDesk, &journal, h);
  ASSERT_NE(b.pdev, nullptr);
  ASSERT_EQ(a.pdev->devmode.priv.wWatermarkFlags, 0u);
  ASSERT_EQ(b.pdev->devmode.priv.dwJournalFlag, 1u);
  EXPECT_NE(a.dev.flGraphicsCaps & GCAPS_DONTJOURNAL, 0u);
  EXPECT_EQ(b.dev.flGraphicsCaps & GCAPS_DONTJOURNAL, 0u);
  ImplDisablePDEV(reinterpret_cast<DHPDEV>(a.pdev));
  ImplDisablePDEV(reinterpret_cast<DHPDEV>(b.pdev));
  ClosePrinter(h);
}

// The caller's buffers are written only up to the sizes it gave.
TEST_F(PdevWorld, CopiesNoMoreThanTheCallerSizes) {
  HANDLE h = Open(kDesk);
  kadu::DriverDevmode dm = WithMode(kDesk, true);
  alignas(8) unsigned char caps[sizeof(GDIINFO) + 32];
  alignas(8) unsigned char info[sizeof(DEVINFO) + 32];
  std::memset(caps, 0xAB, sizeof(caps));
  std::memset(info, 0xAB, sizeof(info));
  const ULONG cjCaps = 24, cjDev = 8;
  DHPDEV d = ImplEnablePDEV(&dm.dm, nullptr, 0, nullptr, cjCaps, reinterpret_cast<ULONG*>(caps), cjDev,
                            reinterpret_cast<DEVINFO*>(info), FakeHdev(), const_cast<LPWSTR>(kDesk), h);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(reinterpret_cast<GDIINFO*>(caps)->ulVersion, 0x500u);
  for (size_t i = cjCaps; i < sizeof(caps); ++i) ASSERT_EQ(caps[i], 0xAB) << i;
  for (size_t i = cjDev; i < sizeof(info); ++i) ASSERT_EQ(info[i], 0xAB) << i;
  ImplDisablePDEV(d);
  ClosePrinter(h);
}

// The rotated double postcard is enabled with portrait and landscape
// exchanged, but the caller's record keeps what it said.
TEST_F(PdevWorld, CallerDevmodeIsNotWritten) {
  HANDLE h = Open(kJapan);
  kadu::DriverDevmode dm = WithMode(kJapan, true);
  dm.dm.dmPaperSize = 82;
  dm.dm.dmOrientation = DMORIENT_LANDSCAPE;
  kadu::DriverDevmode before = dm;
  EnabledPdev e = Enable(kJapan, &dm, h);
  EXPECT_EQ(std::memcmp(&before, &dm, sizeof(dm)), 0);
  if (e.pdev) ImplDisablePDEV(reinterpret_cast<DHPDEV>(e.pdev));
  ClosePrinter(h);
}

TEST_F(PdevWorld, MissingArgumentsFail) {
  HANDLE h = Open(kDesk);
  kadu::DriverDevmode dm = WithMode(kDesk, true);
  GDIINFO gi{};
  DEVINFO di{};
  EXPECT_EQ(ImplEnablePDEV(&dm.dm, nullptr, 0, nullptr, sizeof(gi), reinterpret_cast<ULONG*>(&gi), sizeof(di), &di,
                           nullptr, const_cast<LPWSTR>(kDesk), h),
            nullptr);
  EXPECT_EQ(ImplEnablePDEV(&dm.dm, nullptr, 0, nullptr, sizeof(gi), reinterpret_cast<ULONG*>(&gi), sizeof(di), &di,
                           FakeHdev(), nullptr, h),
            nullptr);
  EXPECT_EQ(ImplEnablePDEV(&dm.dm, nullptr, 0, nullptr, sizeof(gi), reinterpret_cast<ULONG*>(&gi), sizeof(di), &di,
                           FakeHdev(), const_cast<LPWSTR>(kDesk), nullptr),
            nullptr);
  ClosePrinter(h);
}

// Each PDEV keeps its own copy of the library's path.
TEST_F(PdevWorld, DriverPathIsPerPdev) {
  HANDLE h = Open(kDesk);
  EnabledPdev a = Enable(kDesk, nullptr, h);
  ASSERT_NE(a.pdev, nullptr);
  InstallWithPath(kOffice, kOfficeDriver, "C:\\Other\\KADU_UM.DLL");
  HANDLE h2 = Open(kOffice);
  kadu::DriverDevmode dm = WithMode(kOffice, true);
  EnabledPdev b = Enable(kOffice, &dm, h2);
  ASSERT_NE(b.pdev, nullptr);
  EXPECT_EQ(std::u16string(b.pdev->driverPath), u"C:\\Other\\KADU_UM.DLL");
  EXPECT_NE(std::u16string(a.pdev->driverPath), u"C:\\Other\\KADU_UM.DLL");
  ImplDisablePDEV(reinterpret_cast<DHPDEV>(a.pdev));
  ImplDisablePDEV(reinterpret_cast<DHPDEV>(b.pdev));
  ClosePrinter(h);
  ClosePrinter(h2);
}

}  // namespace
}  // namespace kadu_test

namespace kadu_test {
namespace {

TEST_F(PdevWorld, ReductionByScalingBecomesTheLayoutFactor) {
  HANDLE h = Open(kDesk);
  struct Case { short scale; bool on; DWORD factor; short kept; } cases[] = {
      {50, true, 500, 100}, {99, true, 990, 100}, {100, true, 1000, 100}, {150, true, 1000, 150}, {50, false, 1000, 100},
  };
  for (const Case& c : cases) {
    kadu::DriverDevmode dm = WithMode(kDesk, false);
    dm.dm.dmScale = c.scale;
    if (c.on) dm.dm.dmFields |= DM_SCALE;
    else dm.dm.dmFields &= ~DWORD(DM_SCALE);
    EnabledPdev e = Enable(kDesk, &dm, h);
    ASSERT_NE(e.pdev, nullptr);
    EXPECT_EQ(e.pdev->scaleFactor, c.factor) << c.scale << " " << c.on;
    EXPECT_EQ(e.pdev->devmode.dm.dmScale, c.kept) << c.scale << " " << c.on;
    ImplDisablePDEV(reinterpret_cast<DHPDEV>(e.pdev));
  }
  ClosePrinter(h);
}

}  // namespace
}  // namespace kadu_test
