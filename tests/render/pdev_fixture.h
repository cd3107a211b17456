// A world with the shipped models installed whose printers name the real
// rendering library as their driver file, and helpers to enable a PDEV.
#pragma once
#include <string>

#include "render/core/hook_impl.h"
#include "render/core/pdev.h"
#include "tests/devmode/devmode_fixture.h"

namespace kadu_test {

// A handle the engine would give; the PDEV only stores it until a surface is made.
inline HDEV FakeHdev() { return reinterpret_cast<HDEV>(uintptr_t(0x1000)); }

struct EnabledPdev {
  PDEV* pdev = nullptr;
  GDIINFO gdi{};
  DEVINFO dev{};
  HSURF patterns[HS_DDI_MAX];
};

class PdevWorld : public DevmodeWorld {
 protected:
  void SetUp() override {
    DevmodeWorld::SetUp();
    module_ = LoadLibraryW(u"KADU_UM.DLL");
    ASSERT_NE(module_, nullptr);
    WCHAR path[MAX_PATH];
    ASSERT_GT(GetModuleFileNameW(module_, path, MAX_PATH), 0u);
    for (auto [printer, driver] : {std::pair{kDesk, kDeskDriver}, {kOffice, kOfficeDriver}, {kJapan, kJapanDriver}})
      InstallWithPath(printer, driver, kw::Narrow(path));
  }
  void TearDown() override {
    if (module_) FreeLibrary(module_);
    DevmodeWorld::TearDown();
  }

  void InstallWithPath(const char16_t* printer, const char16_t* driver, const std::string& driverPath) {
    kw::hooks::PrinterSetup s;
    s.name = kw::Narrow(printer);
    s.driverName = kw::Narrow(driver);
    s.driverPath = driverPath;
    s.portName = "LPT1:";
    kw::hooks::PrinterInstall(s);
  }

  // Enables a PDEV for `printer` with `dm` (may be null); raster graphics
  // mode when `raster`.
  EnabledPdev Enable(const char16_t* printer, kadu::DriverDevmode* dm, HANDLE h) {
    EnabledPdev e;
    for (HSURF& s : e.patterns) s = reinterpret_cast<HSURF>(INVALID_HANDLE_VALUE);
    DHPDEV d = ImplEnablePDEV(dm ? &dm->dm : nullptr, nullptr, HS_DDI_MAX, e.patterns, sizeof(GDIINFO),
                              reinterpret_cast<ULONG*>(&e.gdi), sizeof(DEVINFO), &e.dev, FakeHdev(),
                              const_cast<LPWSTR>(printer), h);
    e.pdev = reinterpret_cast<PDEV*>(d);
    return e;
  }

  kadu::DriverDevmode WithMode(const char16_t* printer, bool raster) {
    kadu::DriverDevmode dm = Default(printer);
    dm.priv.wPrintMode = raster ? 1 : 0;
    return dm;
  }

  HMODULE module_ = nullptr;
};

}  // namespace kadu_test
