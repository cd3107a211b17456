// A raster job of page pictures driven by the engine host through the
// installed rendering library, on the page path and on the banding loop: the
// job bytes the spooler receives decode to the pictures.
#include <filesystem>

#include "kw/engine_host.h"
#include "kw/hooks_engine.h"
#include "render/core/print_direction.h"
#include "tests/band/band_fixture.h"
#include "win/spooler.h"

namespace kadu_test {
namespace {

// The decoded rows show `img` (turned by 180° when `turned`), pixel for pixel,
// with `margin` white pixels in front; rows past the picture are white.
::testing::AssertionResult ShowsPicture(const PclRasterImage& got, const Bitmap& img, bool turned, LONG margin,
                                        bool doubled) {
  LONG rows = LONG(got.rows.size());
  for (LONG r = 0; r < rows; ++r) {
    LONG y = doubled ? r / 2 : r;
    const RasterRow& row = got.rows[size_t(r)];
    for (LONG i = 0; i < LONG(row.size()) * 8; ++i) {
      LONG x = (doubled ? i / 2 : i) - margin;
      bool want = x >= 0 && (turned ? img.Get(img.width - 1 - x, img.height - 1 - y) : img.Get(x, y));
      bool have = (row[size_t(i / 8)] >> (7 - i % 8)) & 1;
      if (want != have) return ::testing::AssertionFailure() << "row " << r << " pixel " << i;
    }
  }
  LONG expected = doubled ? 2 * img.height : img.height;
  if (rows < expected && img.Get(img.width - 1, img.height - 1))
    return ::testing::AssertionFailure() << rows << " rows for a picture of " << img.height;
  return ::testing::AssertionSuccess();
}

constexpr const char16_t* kDriverFile = u"C:\\Windows\\System32\\spool\\drivers\\w32x86\\3\\KADU_UM.DLL";

class EngineJob : public DevmodeWorld, public ::testing::WithParamInterface<kw::EnginePagePath> {
 protected:
  void SetUp() override {
    DevmodeWorld::SetUp();
    kw::hooks::SpoolerResetHooks();
    HMODULE built = LoadLibraryW(u"KADU_UM.DLL");
    ASSERT_NE(built, nullptr);
    WCHAR path[MAX_PATH];
    ASSERT_GT(GetModuleFileNameW(built, path, MAX_PATH), 0u);
    std::string host = kw::WorldMapPath(path);
    FreeLibrary(built);
    std::filesystem::copy_file(host, folder_ + "/KADU_UM.DLL", std::filesystem::copy_options::overwrite_existing);
    module_ = LoadLibraryW(kDriverFile);
    ASSERT_NE(module_, nullptr) << GetLastError();
  }
  void TearDown() override {
    if (host_) kw::EngineHostClose(host_);
    if (printer_) ClosePrinter(printer_);
    if (module_) FreeLibrary(module_);
    kw::hooks::SpoolerResetHooks();
    DevmodeWorld::TearDown();
  }
  // The bytes the driver wrote to the printer.
  std::string JobBytes() const {
    std::string s;
    for (const auto& c : kw::hooks::SpoolerWriteCalls())
      if (c.printer == printer_ && c.result) s += c.bytes;
    return s;
  }
  HMODULE module_ = nullptr;
  HANDLE printer_ = nullptr;
  kw::EngineHost* host_ = nullptr;
};

TEST_P(EngineJob, PagePicturesComeOutAsRaster) {
  printer_ = Open(kDesk);
  DOC_INFO_1W doc{const_cast<LPWSTR>(u"Pictures"), nullptr, const_cast<LPWSTR>(u"RAW")};
  ASSERT_NE(StartDocPrinterW(printer_, 1, reinterpret_cast<LPBYTE>(&doc)), 0u);
  kadu::DriverDevmode dm = Default(kDesk);
  dm.priv.wPrintMode = 1;
  dm.dm.dmPrintQuality = 300;
  dm.dm.dmFields |= DM_PRINTQUALITY;
  // No page staging: this model gives no printer memory, and the page start
  // refuses staging it cannot have.
  dm.priv.wStagingSelector = 0;
  kw::EngineHostOptions options;
  options.path = GetParam();
  host_ = kw::EngineHostOpen(module_, options);
  ASSERT_NE(host_, nullptr);
  kw::EnginePdevArgs args;
  args.devmode = &dm.dm;
  args.deviceName = kDesk;
  args.printer = printer_;
  ASSERT_TRUE(kw::EngineHostEnablePdev(host_, args)) << kw::EngineHostTrace(host_);
  const GDIINFO& gi = kw::EngineHostGdiInfo(host_);
  std::vector<Bitmap> pictures = {TestPage(LONG(gi.ulHorzRes), LONG(gi.ulVertRes), 21),
                                  TestPage(LONG(gi.ulHorzRes), LONG(gi.ulVertRes), 22)};
  std::vector<kw::EnginePageImage> images;
  for (const Bitmap& b : pictures) images.push_back(kw::EnginePageImage{b.width, b.height, b.stride, b.bits.data()});
  ASSERT_TRUE(kw::EngineHostStartDoc(host_, u"Pictures", 1)) << kw::EngineHostTrace(host_);
  for (const auto& image : images) {
    kw::EnginePage page;
    page.image = &image;
    ASSERT_TRUE(kw::EngineHostPrintPage(host_, page)) << kw::EngineHostTrace(host_);
  }
  auto* pdev = reinterpret_cast<PDEV*>(kw::EngineHostPdev(host_));
  int flips[2] = {WalkFlipCount(pdev, 1, false), WalkFlipCount(pdev, 2, false)};
  ASSERT_TRUE(kw::EngineHostEndDoc(host_));
  kw::EngineHostDisablePdev(host_);
  EndDocPrinter(printer_);

  std::string s = JobBytes();
  PclDecodeOptions o;
  o.defaultWidthBytes = (gi.ulHorzRes + 7) / 8 + 64;
  PclRasterDecode d = DecodePclRaster(reinterpret_cast<const uint8_t*>(s.data()), s.size(), o);
  EXPECT_TRUE(d.diag.problems.empty());
  ASSERT_EQ(d.images.size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    bool predictive = !d.images[i].methods.empty() && d.images[i].methods[0] == 131;
    // The DirectRaster margin at 300 dpi is 3 bytes, before the pixels are doubled.
    EXPECT_TRUE(ShowsPicture(d.images[i], pictures[i], flips[i] % 2 != 0, predictive ? 24 : 0, predictive))
        << "page " << i + 1;
  }
  EXPECT_EQ(s.find("\x1B%-12345X"), 0u) << "the job header comes first";
}

INSTANTIATE_TEST_SUITE_P(Paths, EngineJob, ::testing::Values(kw::EnginePagePath::SendPage, kw::EnginePagePath::Banding),
                         [](const auto& info) {
                           return std::string(info.param == kw::EnginePagePath::SendPage ? "pagePath" : "banding");
                         });

}  // namespace
}  // namespace kadu_test
