#include "kw/engine_host.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "fixtures/fake_driver.h"
#include "kw/hooks_engine.h"
#include "windows.h"

namespace {

// The fake driver module, configured afresh for each test.
class EngineHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = LoadLibraryW(u"KWFAKEDRV.DLL");
    ASSERT_NE(module_, nullptr);
    configure_ = reinterpret_cast<PFN_FakeDriverConfigure>(GetProcAddress(module_, "FakeDriverConfigure"));
    log_ = reinterpret_cast<PFN_FakeDriverLog>(GetProcAddress(module_, "FakeDriverLog"));
    pageCount_ = reinterpret_cast<PFN_FakeDriverPageCount>(GetProcAddress(module_, "FakeDriverPageCount"));
    pageAt_ = reinterpret_cast<PFN_FakeDriverPageAt>(GetProcAddress(module_, "FakeDriverPageAt"));
    ASSERT_TRUE(configure_ && log_ && pageCount_ && pageAt_);
    surfaces_ = kw::hooks::EngineLiveSurfaces();
    palettes_ = kw::hooks::EngineLivePalettes();
    devices_ = kw::hooks::EngineLiveDevices();
  }
  void TearDown() override {
    if (host_) kw::EngineHostClose(host_);
    kw::hooks::EngineFailSurfaceAt(0);
    // Nothing the driver or the engine made outlives the host.
    EXPECT_EQ(kw::hooks::EngineLiveSurfaces(), surfaces_);
    EXPECT_EQ(kw::hooks::EngineLivePalettes(), palettes_);
    EXPECT_EQ(kw::hooks::EngineLiveDevices(), devices_);
    if (module_) FreeLibrary(module_);
  }

  kw::EngineHost* Open(const FakeDriverConfig& config, kw::EngineHostOptions options = {}) {
    configure_(&config);
    host_ = kw::EngineHostOpen(module_, options);
    return host_;
  }
  static kw::EnginePdevArgs Args() {
    kw::EnginePdevArgs args;
    args.deviceName = u"Test Printer";
    args.logAddress = u"LPT1:";
    args.printer = reinterpret_cast<HANDLE>(0x1234);
    return args;
  }
  std::string Trace() const { return kw::EngineHostTrace(host_); }
  std::string DriverLog() const { return log_(); }
  std::vector<FakeDriverPage> Pages() const {
    std::vector<FakeDriverPage> pages(pageCount_());
    for (ULONG i = 0; i < pages.size(); ++i) pageAt_(i, &pages[i]);
    return pages;
  }

  HMODULE module_ = nullptr;
  kw::EngineHost* host_ = nullptr;
  PFN_FakeDriverConfigure configure_ = nullptr;
  PFN_FakeDriverLog log_ = nullptr;
  PFN_FakeDriverPageCount pageCount_ = nullptr;
  PFN_FakeDriverPageAt pageAt_ = nullptr;
  size_t surfaces_ = 0, palettes_ = 0, devices_ = 0;
};

// A page picture of random pixels, 1 black.
struct Image {
  kw::EnginePageImage image;
  std::vector<BYTE> bits;
};
Image RandomImage(LONG width, LONG height, LONG stride, uint32_t seed) {
  Image im;
  std::mt19937 rng(seed);
  im.bits.resize(size_t(stride) * size_t(height));
  for (BYTE& b : im.bits) b = BYTE(rng());
  im.image = {width, height, stride, im.bits.data()};
  return im;
}
int ImageBit(const kw::EnginePageImage& im, LONG x, LONG y) {
  if (x >= im.width || y >= im.height) return 0;  // outside the picture: white
  return (im.bits[size_t(y) * size_t(im.stride) + size_t(x / 8)] >> (7 - x % 8)) & 1;
}
int PageBit(const FakeDriverPage& p, LONG x, LONG y) {
  return (p.bits[size_t(y) * size_t(p.stride) + size_t(x / 8)] >> (7 - x % 8)) & 1;
}

// Every pixel of the driver's page equals the picture's (white beyond it).
::testing::AssertionResult SamePage(const FakeDriverPage& page, const kw::EnginePageImage& im) {
  for (LONG y = 0; y < page.height; ++y)
    for (LONG x = 0; x < page.width; ++x)
      if (PageBit(page, x, y) != ImageBit(im, x, y))
        return ::testing::AssertionFailure() << "pixel " << x << "," << y << " differs";
  return ::testing::AssertionSuccess();
}

TEST_F(EngineHostTest, PagePathSequence) {
  FakeDriverConfig config;
  ASSERT_NE(Open(config), nullptr);
  kw::EngineJob job;
  job.pdev = Args();
  job.document = u"Report";
  job.jobId = 42;
  job.pages.resize(2);
  ASSERT_TRUE(kw::EngineHostRunJob(host_, job));
  EXPECT_EQ(Trace(),
            "QueryDriverInfo EnableDriver EnablePDEV CompletePDEV EnableSurface StartDoc "
            "StartPage Draw[0,0,128,60] SendPage StartPage Draw[0,0,128,60] SendPage "
            "EndDoc DisableSurface DisablePDEV");
  EXPECT_EQ(DriverLog(),
            "QueryDriverInfo 1\nEnableDriver 131072 16\n"
            "EnablePDEV device=Test Printer port=LPT1: caps=320 devinfo=312 patterns=6 dm0=none\n"
            "CompletePDEV\nEnableSurface\nStartDoc Report 42\n"
            "StartPage 1\nSendPage\nStartPage 2\nSendPage\nEndDoc 0\nDisableSurface\nDisablePDEV\n");
  EXPECT_FALSE(kw::EngineHostBands(host_));
  for (HSURF h : kw::EngineHostPatterns(host_)) EXPECT_EQ(h, nullptr);
  EXPECT_EQ(kw::EngineHostPatterns(host_).size(), size_t(HS_DDI_MAX));
  kw::EngineHostClose(host_);
  host_ = nullptr;
  EXPECT_NE(DriverLog().find("DisableDriver"), std::string::npos);
}

TEST_F(EngineHostTest, BandingLoopUntilTheDriverEndsThePage) {
  FakeDriverConfig config;
  config.bands = 3;  // bands of 20 rows: the surface is smaller than the page
  ASSERT_NE(Open(config), nullptr);
  kw::EngineJob job;
  job.pdev = Args();
  job.pages.resize(1);
  ASSERT_TRUE(kw::EngineHostRunJob(host_, job));
  EXPECT_EQ(Trace(),
            "QueryDriverInfo EnableDriver EnablePDEV CompletePDEV EnableSurface StartDoc StartPage "
            "StartBanding(0,0) Draw[0,0,128,20] NextBand(0,20) Draw[0,20,128,40] NextBand(0,40) "
            "Draw[0,40,128,60] NextBand(-1,-1) EndDoc DisableSurface DisablePDEV");
}

// When the engine bands (the rule of the header), for the surfaces a driver
// can give it.
TEST_F(EngineHostTest, BandOrPagePathRule) {
  struct Case {
    const char* what;
    int surface;
    LONG bands;
    BOOL mark;
    BOOL hooks;
    kw::EnginePagePath path;
    bool bands_;
  } cases[] = {
      {"whole-page device surface", 0, 1, FALSE, TRUE, kw::EnginePagePath::Auto, false},
      {"device surface smaller than the page", 0, 2, FALSE, TRUE, kw::EnginePagePath::Auto, true},
      {"marked for banding", 0, 1, TRUE, TRUE, kw::EnginePagePath::Auto, true},
      {"marked engine bitmap", 1, 1, TRUE, TRUE, kw::EnginePagePath::Auto, true},
      {"engine bitmap smaller than the page", 1, 4, FALSE, TRUE, kw::EnginePagePath::Auto, true},
      {"no banding hooks", 0, 2, TRUE, FALSE, kw::EnginePagePath::Auto, false},
      {"forced banding", 0, 1, FALSE, TRUE, kw::EnginePagePath::Banding, true},
      {"forced page path", 0, 3, TRUE, TRUE, kw::EnginePagePath::SendPage, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeDriverConfig config;
    config.surface = c.surface;
    config.bands = c.bands;
    config.markBanding = c.mark;
    config.bandingHooks = c.hooks;
    kw::EngineHostOptions options;
    options.path = c.path;
    ASSERT_NE(Open(config, options), nullptr);
    ASSERT_TRUE(kw::EngineHostEnablePdev(host_, Args()));
    EXPECT_EQ(kw::EngineHostBands(host_), c.bands_);
    ASSERT_TRUE(kw::EngineHostStartDoc(host_, u"Doc", 1));
    ASSERT_TRUE(kw::EngineHostPrintPage(host_, kw::EnginePage{}));
    EXPECT_EQ(Trace().find("StartBanding") != std::string::npos, c.bands_) << Trace();
    EXPECT_EQ(Trace().find("SendPage") != std::string::npos, !c.bands_) << Trace();
    kw::EngineHostClose(host_);
    host_ = nullptr;
  }
}

// A page picture pushed through the driver comes back as it was, for every
// band count, both paths, both band bitmap orientations.
TEST_F(EngineHostTest, PageImageReachesTheDriverIntact) {
  Image im = RandomImage(203, 157, 27, 99);
  for (LONG bands : {1, 3, 4, 157}) {
    for (BOOL topDown : {TRUE, FALSE}) {
      for (int surface : {0, 1}) {
        for (auto path : {kw::EnginePagePath::Auto, kw::EnginePagePath::Banding}) {
          SCOPED_TRACE(::testing::Message() << "bands " << bands << " top-down " << topDown << " surface " << surface
                                            << " path " << int(path));
          FakeDriverConfig config;
          config.pageWidth = 203;
          config.pageHeight = 157;
          config.bands = bands;
          config.topDown = topDown;
          config.surface = surface;
          kw::EngineHostOptions options;
          options.path = path;
          ASSERT_NE(Open(config, options), nullptr);
          kw::EngineJob job;
          job.pdev = Args();
          job.pages.push_back(kw::EnginePage{&im.image, {}, nullptr});
          job.pages.push_back(kw::EnginePage{});  // a blank page after it
          ASSERT_TRUE(kw::EngineHostRunJob(host_, job)) << Trace();
          std::vector<FakeDriverPage> pages = Pages();
          ASSERT_EQ(pages.size(), 2u);
          EXPECT_TRUE(SamePage(pages[0], im.image));
          EXPECT_TRUE(SamePage(pages[1], kw::EnginePageImage{}));
          kw::EngineHostClose(host_);
          host_ = nullptr;
        }
      }
    }
  }
}

TEST_F(EngineHostTest, PageImagesOfOtherSizesAreClipped) {
  for (auto size : {std::pair<LONG, LONG>{300, 200}, {40, 10}, {1, 1}}) {
    Image im = RandomImage(size.first, size.second, (size.first + 7) / 8 + 1, 5);
    FakeDriverConfig config;
    config.pageWidth = 100;
    config.pageHeight = 60;
    config.bands = 2;
    ASSERT_NE(Open(config), nullptr);
    kw::EngineJob job;
    job.pdev = Args();
    job.pages.push_back(kw::EnginePage{&im.image, {}, nullptr});
    ASSERT_TRUE(kw::EngineHostRunJob(host_, job));
    std::vector<FakeDriverPage> pages = Pages();
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_TRUE(SamePage(pages[0], im.image));
    kw::EngineHostClose(host_);
    host_ = nullptr;
  }
}

TEST_F(EngineHostTest, DrawCallbackGetsTheSurfaceTheBitmapAndTheBand) {
  FakeDriverConfig config;
  config.bands = 2;
  ASSERT_NE(Open(config), nullptr);
  ASSERT_TRUE(kw::EngineHostEnablePdev(host_, Args()));
  ASSERT_TRUE(kw::EngineHostStartDoc(host_, u"Doc", 1));
  std::vector<RECTL> seen;
  kw::EnginePage page;
  page.draw = [&](const kw::EngineBand& band) {
    EXPECT_EQ(band.surface, kw::EngineHostSurfaceObject(host_));
    EXPECT_EQ(band.surface->dhpdev, kw::EngineHostPdev(host_));
    EXPECT_EQ(band.surface->iType, STYPE_DEVICE);
    EXPECT_NE(band.bitmap, nullptr);
    EXPECT_EQ(band.bitmap->iType, STYPE_BITMAP);
    EXPECT_EQ(band.page, 1u);
    seen.push_back(band.rect);
    // A black pixel at page (5, 35), drawn where it falls.
    if (35 >= band.rect.top && 35 < band.rect.bottom) {
      BYTE* row = static_cast<BYTE*>(band.bitmap->pvScan0) + intptr_t(35 - band.rect.top) * band.bitmap->lDelta;
      row[0] |= 0x80 >> 5;
    }
    return true;
  };
  ASSERT_TRUE(kw::EngineHostPrintPage(host_, page));
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1].top, 30);
  std::vector<FakeDriverPage> pages = Pages();
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_EQ(PageBit(pages[0], 5, 35), 1);
  EXPECT_EQ(PageBit(pages[0], 5, 5), 0);

  // A drawing that fails fails the page.
  page.draw = [](const kw::EngineBand&) { return false; };
  EXPECT_FALSE(kw::EngineHostPrintPage(host_, page));
  EXPECT_NE(Trace().find("Draw[0,0,128,30]=0"), std::string::npos) << Trace();
}

TEST_F(EngineHostTest, ResetBetweenPages) {
  FakeDriverConfig config;
  ASSERT_NE(Open(config), nullptr);
  kw::EnginePdevArgs second = Args();
  second.deviceName = u"Second";
  kw::EngineJob job;
  job.pdev = Args();
  job.pages.resize(2);
  job.pages[1].resetBefore = &second;
  ASSERT_TRUE(kw::EngineHostRunJob(host_, job));
  EXPECT_EQ(
      Trace(),
      "QueryDriverInfo EnableDriver EnablePDEV CompletePDEV EnableSurface StartDoc StartPage Draw[0,0,128,60] SendPage "
      "EnablePDEV CompletePDEV ResetPDEV DisableSurface DisablePDEV EnableSurface "
      "StartPage Draw[0,0,128,60] SendPage EndDoc DisableSurface DisablePDEV");
  // The new PDEV continued the old one's page count.
  EXPECT_NE(DriverLog().find("device=Second"), std::string::npos);
  EXPECT_NE(DriverLog().find("StartPage 2"), std::string::npos);
}

TEST_F(EngineHostTest, RefusedResetKeepsTheOldPdev) {
  FakeDriverConfig config;
  config.refuseReset = TRUE;
  ASSERT_NE(Open(config), nullptr);
  ASSERT_TRUE(kw::EngineHostEnablePdev(host_, Args()));
  DHPDEV before = kw::EngineHostPdev(host_);
  ASSERT_TRUE(kw::EngineHostStartDoc(host_, u"Doc", 1));
  kw::EngineHostClearCalls(host_);
  EXPECT_FALSE(kw::EngineHostResetPdev(host_, Args()));
  EXPECT_EQ(Trace(), "EnablePDEV CompletePDEV ResetPDEV=0 DisablePDEV");
  EXPECT_EQ(kw::EngineHostPdev(host_), before);
  EXPECT_TRUE(kw::EngineHostPrintPage(host_, kw::EnginePage{}));
  EXPECT_TRUE(kw::EngineHostEndDoc(host_));
}

TEST_F(EngineHostTest, ResetWithoutTheDriversHookStillReplacesThePdev) {
  FakeDriverConfig config;
  config.resetHook = FALSE;
  ASSERT_NE(Open(config), nullptr);
  ASSERT_TRUE(kw::EngineHostEnablePdev(host_, Args()));
  DHPDEV before = kw::EngineHostPdev(host_);
  kw::EngineHostClearCalls(host_);
  ASSERT_TRUE(kw::EngineHostResetPdev(host_, Args()));
  EXPECT_EQ(Trace(), "EnablePDEV CompletePDEV DisableSurface DisablePDEV EnableSurface");
  EXPECT_NE(kw::EngineHostPdev(host_), nullptr);
  EXPECT_NE(kw::EngineHostPdev(host_), before);
}

TEST_F(EngineHostTest, FailuresEndTheJobCleanly) {
  struct Case {
    const char* what;
    ULONG failStartPage;
    bool noDeviceName;
    uint64_t failSurface;
    const char* trace;
    const char* endDoc;
  } cases[] = {
      {"PDEV refused", 0, true, 0, "QueryDriverInfo EnableDriver EnablePDEV=0", nullptr},
      {"surface refused", 0, false, 1,
       "QueryDriverInfo EnableDriver EnablePDEV CompletePDEV EnableSurface=0 DisablePDEV", nullptr},
      {"second page refused", 2, false, 0,
       "QueryDriverInfo EnableDriver EnablePDEV CompletePDEV EnableSurface StartDoc StartPage Draw[0,0,128,60] "
       "SendPage "
       "StartPage=0 EndDoc DisableSurface DisablePDEV",
       "EndDoc 1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeDriverConfig config;
    config.failStartPage = c.failStartPage;
    ASSERT_NE(Open(config), nullptr);
    kw::hooks::EngineFailSurfaceAt(c.failSurface);
    kw::EngineJob job;
    job.pdev = Args();
    if (c.noDeviceName) job.pdev.deviceName.clear();
    job.pages.resize(3);
    EXPECT_FALSE(kw::EngineHostRunJob(host_, job));
    kw::hooks::EngineFailSurfaceAt(0);
    EXPECT_EQ(Trace(), c.trace);
    if (c.endDoc) {
      EXPECT_NE(DriverLog().find(c.endDoc), std::string::npos);
    }
    kw::EngineHostClose(host_);
    host_ = nullptr;
  }
}

TEST_F(EngineHostTest, BandsThatNeverEndOrLeaveThePageFail) {
  for (bool endless : {true, false}) {
    FakeDriverConfig config;
    config.bands = 2;
    config.endless = endless;
    config.badOrigin = endless ? 0 : -5;
    kw::EngineHostOptions options;
    options.maxBandsPerPage = 10;
    ASSERT_NE(Open(config, options), nullptr);
    ASSERT_TRUE(kw::EngineHostEnablePdev(host_, Args()));
    ASSERT_TRUE(kw::EngineHostStartDoc(host_, u"Doc", 1));
    SetLastError(0);
    EXPECT_FALSE(kw::EngineHostPrintPage(host_, kw::EnginePage{}));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_DATA));
    size_t draws = 0;
    for (const kw::EngineCallRecord& r : kw::EngineHostCalls(host_)) draws += r.call == kw::EngineCall::Draw;
    EXPECT_EQ(draws, endless ? 10u : 1u);
    kw::EngineHostClose(host_);  // ends the document as aborted
    host_ = nullptr;
    EXPECT_NE(DriverLog().find("EndDoc 1"), std::string::npos);
  }
}

TEST_F(EngineHostTest, WhatTheEngineCannotDo) {
  // Forced banding for a driver without the banding hooks.
  FakeDriverConfig config;
  config.bandingHooks = FALSE;
  kw::EngineHostOptions options;
  options.path = kw::EnginePagePath::Banding;
  ASSERT_NE(Open(config, options), nullptr);
  ASSERT_TRUE(kw::EngineHostEnablePdev(host_, Args()));
  ASSERT_TRUE(kw::EngineHostStartDoc(host_, u"Doc", 1));
  EXPECT_FALSE(kw::EngineHostPrintPage(host_, kw::EnginePage{}));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_SUPPORTED));
  kw::EngineHostClose(host_);
  host_ = nullptr;

  // A page picture for a device surface with no engine bitmap behind it.
  config = FakeDriverConfig{};
  config.surface = 2;
  ASSERT_NE(Open(config), nullptr);
  Image im = RandomImage(8, 8, 1, 1);
  kw::EngineJob job;
  job.pdev = Args();
  job.pages.push_back(kw::EnginePage{&im.image, {}, nullptr});
  EXPECT_FALSE(kw::EngineHostRunJob(host_, job));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_SUPPORTED));
  EXPECT_NE(Trace().find("Draw[0,0,128,60]=0"), std::string::npos) << Trace();
}

TEST_F(EngineHostTest, DriversTheEngineDoesNotLoad) {
  FakeDriverConfig config;
  kw::EngineHostOptions old;
  old.engineVersion = 0x10000;
  SetLastError(0);
  EXPECT_EQ(Open(config, old), nullptr);
  // A driver that does not run in user mode.
  config.userMode = 0;
  EXPECT_EQ(Open(config), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_SUPPORTED));
  EXPECT_EQ(DriverLog(), "QueryDriverInfo 1\n");
  // A module without DrvEnableDriver.
  HMODULE plain = LoadLibraryW(u"KWTESTMOD.DLL");
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(kw::EngineHostOpen(plain), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_PROC_NOT_FOUND));
  FreeLibrary(plain);
}

TEST_F(EngineHostTest, TheDriverGetsCopiesAndTheCallersBuffers) {
  FakeDriverConfig config;
  ASSERT_NE(Open(config), nullptr);
  // A DEVMODE of 220 public and 4 private bytes; the driver writes into its copy.
  std::vector<BYTE> devmode(224, 0x33);
  WORD size = 220, extra = 4;
  std::memcpy(devmode.data() + 68, &size, 2);
  std::memcpy(devmode.data() + 70, &extra, 2);
  std::vector<BYTE> before = devmode;
  // GDIINFO and DEVINFO buffers shorter than the records, with guards after.
  std::vector<BYTE> caps(100 + 16, 0xEE), dev(40 + 16, 0xEE);
  kw::EnginePdevArgs args = Args();
  args.devmode = reinterpret_cast<const DEVMODEW*>(devmode.data());
  args.gdiInfo = reinterpret_cast<ULONG*>(caps.data());
  args.cjCaps = 100;
  args.devInfo = reinterpret_cast<DEVINFO*>(dev.data());
  args.cjDevInfo = 40;
  ASSERT_TRUE(kw::EngineHostEnablePdev(host_, args));
  EXPECT_EQ(devmode, before);
  EXPECT_NE(DriverLog().find("caps=100 devinfo=40 patterns=6 dm0=51"), std::string::npos) << DriverLog();
  EXPECT_TRUE(std::all_of(caps.begin() + 100, caps.end(), [](BYTE b) { return b == 0xEE; }));
  EXPECT_TRUE(std::all_of(dev.begin() + 40, dev.end(), [](BYTE b) { return b == 0xEE; }));
  // The host's view: what the driver wrote, nothing beyond the sizes given.
  const GDIINFO& gi = kw::EngineHostGdiInfo(host_);
  EXPECT_EQ(gi.ulVersion, 0x500u);
  EXPECT_EQ(gi.ulHorzRes, 100u);
  EXPECT_EQ(gi.ulPhysicalPixelGamma, 0u);
  EXPECT_EQ(kw::EngineHostDevInfo(host_).flGraphicsCaps, ULONG(GCAPS_HALFTONE));
  EXPECT_EQ(kw::EngineHostDevInfo(host_).hpalDefault, nullptr);  // beyond 40 bytes
}

// The band fill on its own: deeper bitmaps and a band away from the origin.
TEST(EngineFillBand, DeeperBitmapsGetBlackAsZero) {
  const BYTE picture[] = {0xA0, 0x50};  // rows "1010" and "0101"
  kw::EnginePageImage im{4, 2, 1, picture};
  for (ULONG format : {ULONG(BMF_4BPP), ULONG(BMF_8BPP), ULONG(BMF_24BPP), ULONG(BMF_32BPP)}) {
    for (FLONG fl : {FLONG(BMF_TOPDOWN), FLONG(0)}) {
      HSURF h = reinterpret_cast<HSURF>(EngCreateBitmap(SIZEL{3, 2}, 0, format, fl, nullptr));
      SURFOBJ* so = EngLockSurface(h);
      std::memset(so->pvBits, 0x77, so->cjBits);
      // The band starts at page pixel (1, 1): it sees the picture's second row
      // from its second pixel, "101", in its first row only.
      kw::EngineBand band{so, so, RECTL{1, 1, 4, 3}, 1};
      ASSERT_TRUE(kw::EngineFillBand(band, im));
      const BYTE* row0 = static_cast<const BYTE*>(so->pvScan0);
      const BYTE* row1 = row0 + so->lDelta;
      if (format == BMF_4BPP) {
        EXPECT_EQ(row0[0], 0x0F);
        EXPECT_EQ(row0[1] & 0xF0, 0x00);
      } else {
        size_t bpp = format == BMF_8BPP ? 1 : format == BMF_24BPP ? 3 : 4;
        for (size_t x = 0; x < 3; ++x)
          for (size_t b = 0; b < bpp; ++b) EXPECT_EQ(row0[x * bpp + b], x == 1 ? 0xFF : 0x00) << format;
      }
      EXPECT_EQ(row1[0], 0x77);  // below the picture: untouched
      EngUnlockSurface(so);
      EngDeleteSurface(h);
    }
  }
  kw::EngineBand none{nullptr, nullptr, RECTL{0, 0, 4, 2}, 1};
  EXPECT_FALSE(kw::EngineFillBand(none, im));
}

}  // namespace
