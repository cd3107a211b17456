// The rendering library enabled by the engine host as Windows would: the
// library installed in the printer's driver folder, loaded by LoadLibraryW,
// and a printer of a shipped model.
#include <filesystem>

#include "kw/engine_host.h"
#include "kw/hooks_engine.h"
#include "tests/devmode/devmode_fixture.h"

namespace kadu_test {
namespace {

constexpr const char16_t* kDriverFile = u"C:\\Windows\\System32\\spool\\drivers\\w32x86\\3\\KADU_UM.DLL";

class PdevEngine : public DevmodeWorld {
 protected:
  void SetUp() override {
    DevmodeWorld::SetUp();
    HMODULE built = LoadLibraryW(u"KADU_UM.DLL");
    ASSERT_NE(built, nullptr);
    WCHAR path[MAX_PATH];
    ASSERT_GT(GetModuleFileNameW(built, path, MAX_PATH), 0u);
    std::string host = kw::WorldMapPath(path);
    FreeLibrary(built);
    std::filesystem::copy_file(host, folder_ + "/KADU_UM.DLL", std::filesystem::copy_options::overwrite_existing);
    module_ = LoadLibraryW(kDriverFile);
    ASSERT_NE(module_, nullptr) << GetLastError();
    surfaces_ = kw::hooks::EngineLiveSurfaces();
    palettes_ = kw::hooks::EngineLivePalettes();
  }
  void TearDown() override {
    if (host_) kw::EngineHostClose(host_);
    EXPECT_EQ(kw::hooks::EngineLiveSurfaces(), surfaces_);
    EXPECT_EQ(kw::hooks::EngineLivePalettes(), palettes_);
    if (module_) FreeLibrary(module_);
    DevmodeWorld::TearDown();
  }
  HMODULE module_ = nullptr;
  kw::EngineHost* host_ = nullptr;
  size_t surfaces_ = 0, palettes_ = 0;
};

TEST_F(PdevEngine, EnablesBothModes) {
  for (bool raster : {true, false}) {
    SCOPED_TRACE(raster ? "raster" : "device");
    HANDLE h = Open(kDesk);
    kadu::DriverDevmode dm = Default(kDesk);
    dm.priv.wPrintMode = raster ? 1 : 0;
    host_ = kw::EngineHostOpen(module_);
    ASSERT_NE(host_, nullptr);
    kw::EnginePdevArgs args;
    args.devmode = &dm.dm;
    args.deviceName = kDesk;
    args.printer = h;
    ASSERT_TRUE(kw::EngineHostEnablePdev(host_, args)) << kw::EngineHostTrace(host_) << " error " << GetLastError();
    const GDIINFO& gi = kw::EngineHostGdiInfo(host_);
    EXPECT_EQ(gi.ulVersion, 0x500u);
    EXPECT_EQ(gi.flTextCaps, raster ? 0x1807u : 0x1817u);
    EXPECT_NE(kw::EngineHostDevInfo(host_).hpalDefault, nullptr);
    for (HSURF s : kw::EngineHostPatterns(host_)) EXPECT_EQ(s, nullptr);
    SURFOBJ* so = kw::EngineHostSurfaceObject(host_);
    ASSERT_NE(so, nullptr);
    EXPECT_EQ(so->iType, STYPE_DEVICE);
    if (raster) {
      EXPECT_EQ(so->sizlBitmap.cx % 32, 0);
      EXPECT_GE(ULONG(so->sizlBitmap.cx), gi.ulHorzRes);
    } else {
      EXPECT_EQ(ULONG(so->sizlBitmap.cx), gi.ulHorzRes);
    }
    kw::EngineHostDisablePdev(host_);
    EXPECT_EQ(kw::EngineHostTrace(host_),
              "QueryDriverInfo EnableDriver EnablePDEV CompletePDEV EnableSurface DisableSurface DisablePDEV");
    kw::EngineHostClose(host_);
    host_ = nullptr;
    ClosePrinter(h);
  }
}

}  // namespace
}  // namespace kadu_test
