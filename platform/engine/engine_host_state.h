// The engine host's state, shared by its sequence, page and reset parts.
#pragma once
#include <vector>

#include "kw/engine_host.h"

namespace kw {

// One enabled PDEV with what the engine keeps for it.
struct EnginePdevState {
  HDEV hdev = nullptr;
  DHPDEV dhpdev = nullptr;
  HSURF hsurf = nullptr;
  SURFOBJ* so = nullptr;  // the surface, locked while enabled
  GDIINFO gdi{};
  DEVINFO dev{};
  std::vector<HSURF> patterns;
  std::vector<BYTE> devmode;  // the engine's copy given to the driver
  std::u16string deviceName;
  std::u16string logAddress;
};

struct EngineHost {
  HMODULE module = nullptr;
  EngineHostOptions options;
  DRVENABLEDATA driver{};
  std::vector<DRVFN> functions;
  EnginePdevState pdev;
  bool pdevEnabled = false;
  bool docStarted = false;
  ULONG page = 0;  // pages started in the document
  std::vector<EngineCallRecord> calls;
};

// The driver's function of a DDI index, as its own type; nullptr when absent.
template <typename Fn>
Fn EngineHostFunction(const EngineHost* host, ULONG index) {
  for (const DRVFN& f : host->functions)
    if (f.iFunc == ULONG(index) && f.pfn) return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(f.pfn));
  return nullptr;
}

void EngineHostRecord(EngineHost* host, EngineCall call, BOOL result, POINTL origin = {0, 0},
                      RECTL band = {0, 0, 0, 0});

// DrvEnablePDEV and DrvCompletePDEV into `out`; FALSE leaves nothing enabled.
BOOL EngineHostMakePdev(EngineHost* host, const EnginePdevArgs& args, EnginePdevState* out);
// DrvEnableSurface for `state` and the lock the hooks use.
BOOL EngineHostMakeSurface(EngineHost* host, EnginePdevState* state);
// DrvDisableSurface (after the engine's unlock) when there is a surface.
void EngineHostDropSurface(EngineHost* host, EnginePdevState* state);
// DrvDisablePDEV and the engine's device.
void EngineHostDropPdev(EngineHost* host, EnginePdevState* state);

}  // namespace kw
