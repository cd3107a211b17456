// The driver's tuning values read from the printer's data when a PDEV is
// enabled: defaults, limits and the bounded default font name.
#include "tests/render/pdev_fixture.h"

namespace kadu_test {
namespace {

class DriverSettings : public PdevWorld {
 protected:
  void SetUp() override {
    PdevWorld::SetUp();
    h_ = Open(kOffice);
  }
  void TearDown() override {
    for (PDEV* p : enabled_) ImplDisablePDEV(reinterpret_cast<DHPDEV>(p));
    ClosePrinter(h_);
    PdevWorld::TearDown();
  }
  void SetDword(const char16_t* name, DWORD v) {
    ASSERT_EQ(SetPrinterDataW(h_, const_cast<LPWSTR>(name), REG_DWORD, reinterpret_cast<LPBYTE>(&v), sizeof(v)),
              DWORD(ERROR_SUCCESS));
  }
  EnabledPdev Make(bool raster) {
    kadu::DriverDevmode dm = WithMode(kOffice, raster);
    EnabledPdev e = Enable(kOffice, &dm, h_);
    EXPECT_NE(e.pdev, nullptr);
    if (e.pdev) enabled_.push_back(e.pdev);
    return e;
  }
  HANDLE h_ = nullptr;
  std::vector<PDEV*> enabled_;
};

TEST_F(DriverSettings, MissingValuesGiveTheDefaults) {
  EnabledPdev e = Make(true);
  ASSERT_NE(e.pdev, nullptr);
  const PageState& s = e.pdev->page;
  EXPECT_EQ(s.banding, 0u);
  EXPECT_EQ(s.division, 0x80000u);
  EXPECT_EQ(s.fallDownType, 0u);
  EXPECT_EQ(s.speed, 1u);
  EXPECT_EQ(s.defaultFont[0], 0);
  EXPECT_EQ(e.pdev->directRasterRows, 64u);
}

struct LimitCase {
  const char16_t* name;
  DWORD stored;
  DWORD PageState::*member;
  DWORD kept;
};

TEST_F(DriverSettings, StoredValuesAreKeptInsideTheirLimits) {
  const LimitCase cases[] = {
      {u"Banding", 31, &PageState::banding, 31},         {u"Banding", 32, &PageState::banding, 0},
      {u"Division", 0xFFFF, &PageState::division, 0x80000}, {u"Division", 0x10000, &PageState::division, 0x10000},
      {u"Division", 0x100001, &PageState::division, 0x80000}, {u"FallDownType", 7, &PageState::fallDownType, 1},
      {u"Speed", 0, &PageState::speed, 0},               {u"Speed", 5, &PageState::speed, 1},
  };
  for (const LimitCase& c : cases) {
    SetDword(c.name, c.stored);
    EnabledPdev e = Make(false);
    ASSERT_NE(e.pdev, nullptr);
    EXPECT_EQ(e.pdev->page.*c.member, c.kept) << kw::Narrow(c.name) << "=" << c.stored;
  }
}

TEST_F(DriverSettings, DirectRasterRowsByModeAndValue) {
  // The office model has the DirectRaster feature (wDirectRaster 2).
  struct Case { bool raster; DWORD stored; DWORD rows; } cases[] = {
      {true, 1, 64}, {true, 7, 448}, {true, 8, 64}, {true, 0, 64}, {false, 4, 0},
  };
  for (const Case& c : cases) {
    SetDword(u"DirectRaster", c.stored);
    EnabledPdev e = Make(c.raster);
    ASSERT_NE(e.pdev, nullptr);
    ASSERT_EQ(e.pdev->devmode.priv.wDirectRaster, 2);
    EXPECT_EQ(e.pdev->directRasterRows, c.rows) << c.raster << " " << c.stored;
  }
}

TEST_F(DriverSettings, ModelsWithoutDirectRasterNeverUseIt) {
  HANDLE desk = Open(kDesk);
  DWORD v = 4;
  ASSERT_EQ(SetPrinterDataW(desk, const_cast<LPWSTR>(u"DirectRaster"), REG_DWORD, reinterpret_cast<LPBYTE>(&v),
                            sizeof(v)),
            DWORD(ERROR_SUCCESS));
  kadu::DriverDevmode dm = WithMode(kDesk, true);
  EnabledPdev e = Enable(kDesk, &dm, desk);
  ASSERT_NE(e.pdev, nullptr);
  enabled_.push_back(e.pdev);
  EXPECT_EQ(e.pdev->directRasterRows, 0u);
  ClosePrinter(desk);
}

TEST_F(DriverSettings, LongDefaultFontIsCutAndTerminated) {
  std::u16string face(63, u'F');
  ASSERT_EQ(SetPrinterDataW(h_, const_cast<LPWSTR>(u"DefaultFont"), REG_SZ,
                            reinterpret_cast<LPBYTE>(face.data()), DWORD((face.size() + 1) * 2)),
            DWORD(ERROR_SUCCESS));
  EnabledPdev e = Make(false);
  ASSERT_NE(e.pdev, nullptr);
  EXPECT_EQ(std::u16string(e.pdev->page.defaultFont), std::u16string(31, u'F'));
  EXPECT_EQ(std::u16string(e.dev.lfDefaultFont.lfFaceName), std::u16string(31, u'F'));
}

}  // namespace
}  // namespace kadu_test
