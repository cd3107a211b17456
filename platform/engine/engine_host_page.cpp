// The engine host's pages: the choice between banding and the page path, the
// banding loop, and the engine's drawing of each band.
#include "engine_host_state.h"
#include "engine_objects.h"
#include "kw/engine_device.h"

namespace kw {
namespace {

bool HasBandingHooks(const EngineHost* host) {
  return EngineHostFunction<PFN_DrvStartBanding>(host, INDEX_DrvStartBanding) &&
         EngineHostFunction<PFN_DrvNextBand>(host, INDEX_DrvNextBand);
}

// The engine's own rule (see the header): a surface the driver marked for
// banding, or one on which the page does not fit.
bool AutoBands(const EngineHost* host) {
  const EnginePdevState& p = host->pdev;
  if (!p.so || !HasBandingHooks(host)) return false;
  bool marked = false;
  engine::SurfaceQuery(p.hsurf, nullptr, &marked);
  bool small = ULONG(p.so->sizlBitmap.cx) < p.gdi.ulHorzRes || ULONG(p.so->sizlBitmap.cy) < p.gdi.ulVertRes;
  return marked || small;
}

// The engine draws one band (or the page): the page image first, then the
// caller's drawing, into the engine bitmap behind the surface.
BOOL DrawBand(EngineHost* host, const EnginePage& page, RECTL rect) {
  HSURF bitmap = EngineDrawingBitmap(host->pdev.hsurf);
  SURFOBJ* bitmapSo = bitmap ? EngLockSurface(bitmap) : nullptr;
  EngineBand band{host->pdev.so, bitmapSo, rect, host->page};
  bool ok = true;
  if (page.image && !EngineFillBand(band, *page.image)) {
    SetLastError(ERROR_NOT_SUPPORTED);  // no engine bitmap to put the image in
    ok = false;
  }
  if (ok && page.draw) ok = page.draw(band);
  if (bitmapSo) EngUnlockSurface(bitmapSo);
  EngineHostRecord(host, EngineCall::Draw, ok, {0, 0}, rect);
  return ok ? TRUE : FALSE;
}

RECTL BandAt(const SURFOBJ* so, POINTL origin) {
  return RECTL{origin.x, origin.y, origin.x + so->sizlBitmap.cx, origin.y + so->sizlBitmap.cy};
}

BOOL BandLoop(EngineHost* host, const EnginePage& page) {
  SURFOBJ* so = host->pdev.so;
  POINTL origin{0, 0};
  BOOL ok = EngineHostFunction<PFN_DrvStartBanding>(host, INDEX_DrvStartBanding)(so, &origin);
  EngineHostRecord(host, EngineCall::StartBanding, ok, origin);
  auto next = EngineHostFunction<PFN_DrvNextBand>(host, INDEX_DrvNextBand);
  for (ULONG bands = 0; ok; ++bands) {
    if (origin.x == -1 && origin.y == -1) return TRUE;
    // A band off the page, or a page that never ends, is the driver's fault.
    if (origin.x < 0 || origin.y < 0 || bands >= host->options.maxBandsPerPage) {
      SetLastError(ERROR_INVALID_DATA);
      return FALSE;
    }
    if (!DrawBand(host, page, BandAt(so, origin))) return FALSE;
    ok = next(so, &origin);
    EngineHostRecord(host, EngineCall::NextBand, ok, origin);
  }
  return FALSE;
}

BOOL PagePath(EngineHost* host, const EnginePage& page) {
  SURFOBJ* so = host->pdev.so;
  if (!DrawBand(host, page, BandAt(so, POINTL{0, 0}))) return FALSE;
  auto send = EngineHostFunction<PFN_DrvSendPage>(host, INDEX_DrvSendPage);
  if (!send) return TRUE;
  BOOL ok = send(so);
  EngineHostRecord(host, EngineCall::SendPage, ok);
  return ok;
}

}  // namespace

bool EngineHostBands(const EngineHost* host) {
  switch (host->options.path) {
    case EnginePagePath::Banding:
      return true;
    case EnginePagePath::SendPage:
      return false;
    default:
      return AutoBands(host);
  }
}

BOOL EngineHostPrintPage(EngineHost* host, const EnginePage& page) {
  if (page.resetBefore && !EngineHostResetPdev(host, *page.resetBefore)) return FALSE;
  if (!host->docStarted || !host->pdev.so) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  bool bands = EngineHostBands(host);
  if (bands && !HasBandingHooks(host)) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
  }
  ++host->page;
  if (auto start = EngineHostFunction<PFN_DrvStartPage>(host, INDEX_DrvStartPage)) {
    BOOL ok = start(host->pdev.so);
    EngineHostRecord(host, EngineCall::StartPage, ok);
    if (!ok) return FALSE;
  }
  return bands ? BandLoop(host, page) : PagePath(host, page);
}

}  // namespace kw
