#include "render/core/driver_entry.h"

#include <atomic>
#include <cstring>

#include "render/core/ddi_hooks.h"
#include "render/core/hook_table.h"

namespace {

std::atomic<const FD_GLYPHSET*> g_ansiGlyphSet{nullptr};

}  // namespace

const FD_GLYPHSET* AnsiGlyphSet() { return g_ansiGlyphSet.load(); }

KADU_EXPORT BOOL APIENTRY DrvQueryDriverInfo(DWORD dwMode, PVOID pBuffer, DWORD cbBuf, PDWORD pcbNeeded) {
  if (dwMode != DRVQUERY_USERMODE) return FALSE;
  if (!pcbNeeded) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *pcbNeeded = sizeof(DWORD);
  if (!pBuffer || cbBuf < sizeof(DWORD)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  const DWORD userMode = 1;  // the driver runs in user mode
  std::memcpy(pBuffer, &userMode, sizeof(userMode));
  return TRUE;
}

KADU_EXPORT BOOL APIENTRY DrvEnableDriver(ULONG iEngineVersion, ULONG cj, DRVENABLEDATA* pded) {
  if (iEngineVersion < DDI_DRIVER_VERSION_NT5 || cj < sizeof(DRVENABLEDATA) || !pded) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  pded->iDriverVersion = DDI_DRIVER_VERSION_NT5;
  pded->c = kHookCount;
  pded->pdrvfn = const_cast<DRVFN*>(kHookTable);
  const FD_GLYPHSET* gs = EngComputeGlyphSet(0, 0, 256);
  if (!gs) return FALSE;
  g_ansiGlyphSet = gs;
  return TRUE;
}

KADU_EXPORT VOID APIENTRY DrvDisableDriver(void) {
  // The glyph set stays with the engine.
  FreeModelCacheBuffer();
}
