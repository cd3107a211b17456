// The exception guard of each guarded hook: the body runs with the hook's own
// arguments; any exception inside it becomes a failed call (0, FALSE or a null
// handle) and one Application-log entry, and the library stays usable.
#include "common/exception_report.h"
#include "kw/seh.h"
#include "render/core/ddi_hooks.h"
#include "render/core/driver_instance.h"
#include "render/core/hook_guard_table.h"
#include "render/core/hook_impl.h"

namespace {

void Report(const HookGuard& g, const EXCEPTION_RECORD& caught) {
  ReportException(u"KADU_UM", DriverInstance(), GuardCategory(g), &caught, g.id);
}

template <typename R, typename Body>
R Guarded(const HookGuard& g, Body&& body) {
  R result{};
  EXCEPTION_RECORD caught{};
  if (kw::SehTry([&] { result = body(); }, &caught)) return result;
  Report(g, caught);
  return R{};
}

template <typename Body>
void GuardedVoid(const HookGuard& g, Body&& body) {
  EXCEPTION_RECORD caught{};
  if (!kw::SehTry(body, &caught)) Report(g, caught);
}

}  // namespace

KADU_EXPORT DHPDEV APIENTRY DrvEnablePDEV(DEVMODEW* pdm, LPWSTR pwszLogAddress, ULONG cPat, HSURF* phsurfPatterns,
                                          ULONG cjCaps, ULONG* pdevcaps, ULONG cjDevInfo, DEVINFO* pdi, HDEV hdev,
                                          LPWSTR pwszDeviceName, HANDLE hDriver) {
  return Guarded<DHPDEV>(kGuardEnablePDEV, [&] {
    return g_hookBodies.EnablePDEV(pdm, pwszLogAddress, cPat, phsurfPatterns, cjCaps, pdevcaps, cjDevInfo, pdi, hdev,
                                   pwszDeviceName, hDriver);
  });
}

KADU_EXPORT BOOL APIENTRY DrvResetPDEV(DHPDEV dhpdevOld, DHPDEV dhpdevNew) {
  return Guarded<BOOL>(kGuardResetPDEV, [&] { return g_hookBodies.ResetPDEV(dhpdevOld, dhpdevNew); });
}

KADU_EXPORT VOID APIENTRY DrvDisablePDEV(DHPDEV dhpdev) {
  GuardedVoid(kGuardDisablePDEV, [&] { g_hookBodies.DisablePDEV(dhpdev); });
}

KADU_EXPORT HSURF APIENTRY DrvEnableSurface(DHPDEV dhpdev) {
  return Guarded<HSURF>(kGuardEnableSurface, [&] { return g_hookBodies.EnableSurface(dhpdev); });
}

KADU_EXPORT VOID APIENTRY DrvDisableSurface(DHPDEV dhpdev) {
  GuardedVoid(kGuardDisableSurface, [&] { g_hookBodies.DisableSurface(dhpdev); });
}

KADU_EXPORT BOOL APIENTRY DrvStartPage(SURFOBJ* pso) {
  return Guarded<BOOL>(kGuardStartPage, [&] { return g_hookBodies.StartPage(pso); });
}

KADU_EXPORT BOOL APIENTRY DrvStartDoc(SURFOBJ* pso, LPWSTR pwszDocName, DWORD dwJobId) {
  return Guarded<BOOL>(kGuardStartDoc, [&] { return g_hookBodies.StartDoc(pso, pwszDocName, dwJobId); });
}

KADU_EXPORT BOOL APIENTRY DrvSendPage(SURFOBJ* pso) {
  return Guarded<BOOL>(kGuardSendPage, [&] { return g_hookBodies.SendPage(pso); });
}

KADU_EXPORT BOOL APIENTRY DrvEndDoc(SURFOBJ* pso, FLONG fl) {
  return Guarded<BOOL>(kGuardEndDoc, [&] { return g_hookBodies.EndDoc(pso, fl); });
}

KADU_EXPORT BOOL APIENTRY DrvBitBlt(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
                                    RECTL* prclTrg, POINTL* pptlSrc, POINTL* pptlMask, BRUSHOBJ* pbo,
                                    POINTL* pptlBrush, ROP4 rop4) {
  return Guarded<BOOL>(kGuardBitBlt, [&] {
    return g_hookBodies.BitBlt(psoTrg, psoSrc, psoMask, pco, pxlo, prclTrg, pptlSrc, pptlMask, pbo, pptlBrush, rop4);
  });
}

KADU_EXPORT BOOL APIENTRY DrvStretchBlt(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco,
                                        XLATEOBJ* pxlo, COLORADJUSTMENT* pca, POINTL* pptlHTOrg, RECTL* prclDest,
                                        RECTL* prclSrc, POINTL* pptlMask, ULONG iMode) {
  return Guarded<BOOL>(kGuardStretchBlt, [&] {
    return g_hookBodies.StretchBlt(psoDest, psoSrc, psoMask, pco, pxlo, pca, pptlHTOrg, prclDest, prclSrc, pptlMask,
                                   iMode);
  });
}

KADU_EXPORT BOOL APIENTRY DrvStretchBltROP(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco,
                                           XLATEOBJ* pxlo, COLORADJUSTMENT* pca, POINTL* pptlHTOrg, RECTL* prclDest,
                                           RECTL* prclSrc, POINTL* pptlMask, ULONG iMode, BRUSHOBJ* pbo, DWORD rop4) {
  return Guarded<BOOL>(kGuardStretchBltROP, [&] {
    return g_hookBodies.StretchBltROP(psoDest, psoSrc, psoMask, pco, pxlo, pca, pptlHTOrg, prclDest, prclSrc,
                                      pptlMask, iMode, pbo, rop4);
  });
}

KADU_EXPORT BOOL APIENTRY DrvRealizeBrush(BRUSHOBJ* pbo, SURFOBJ* psoTarget, SURFOBJ* psoPattern, SURFOBJ* psoMask,
                                          XLATEOBJ* pxlo, ULONG iHatch) {
  return Guarded<BOOL>(kGuardRealizeBrush, [&] {
    return g_hookBodies.RealizeBrush(pbo, psoTarget, psoPattern, psoMask, pxlo, iHatch);
  });
}

KADU_EXPORT BOOL APIENTRY DrvCopyBits(SURFOBJ* psoDest, SURFOBJ* psoSrc, CLIPOBJ* pco, XLATEOBJ* pxlo,
                                      RECTL* prclDest, POINTL* pptlSrc) {
  return Guarded<BOOL>(kGuardCopyBits,
                       [&] { return g_hookBodies.CopyBits(psoDest, psoSrc, pco, pxlo, prclDest, pptlSrc); });
}

KADU_EXPORT BOOL APIENTRY DrvStrokePath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo, BRUSHOBJ* pbo,
                                        POINTL* pptlBrushOrg, LINEATTRS* plineattrs, MIX mix) {
  return Guarded<BOOL>(kGuardStrokePath, [&] {
    return g_hookBodies.StrokePath(pso, ppo, pco, pxo, pbo, pptlBrushOrg, plineattrs, mix);
  });
}

KADU_EXPORT BOOL APIENTRY DrvFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, BRUSHOBJ* pbo, POINTL* pptlBrushOrg,
                                      MIX mix, FLONG flOptions) {
  return Guarded<BOOL>(kGuardFillPath,
                       [&] { return g_hookBodies.FillPath(pso, ppo, pco, pbo, pptlBrushOrg, mix, flOptions); });
}

KADU_EXPORT BOOL APIENTRY DrvStrokeAndFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo,
                                               BRUSHOBJ* pboStroke, LINEATTRS* plineattrs, BRUSHOBJ* pboFill,
                                               POINTL* pptlBrushOrg, MIX mixFill, FLONG flOptions) {
  return Guarded<BOOL>(kGuardStrokeAndFillPath, [&] {
    return g_hookBodies.StrokeAndFillPath(pso, ppo, pco, pxo, pboStroke, plineattrs, pboFill, pptlBrushOrg, mixFill,
                                          flOptions);
  });
}

KADU_EXPORT BOOL APIENTRY DrvTextOut(SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo, CLIPOBJ* pco, RECTL* prclExtra,
                                     RECTL* prclOpaque, BRUSHOBJ* pboFore, BRUSHOBJ* pboOpaque, POINTL* pptlOrg,
                                     MIX mix) {
  return Guarded<BOOL>(kGuardTextOut, [&] {
    return g_hookBodies.TextOut(pso, pstro, pfo, pco, prclExtra, prclOpaque, pboFore, pboOpaque, pptlOrg, mix);
  });
}

KADU_EXPORT ULONG APIENTRY DrvEscape(SURFOBJ* pso, ULONG iEsc, ULONG cjIn, PVOID pvIn, ULONG cjOut, PVOID pvOut) {
  return Guarded<ULONG>(kGuardEscape, [&] { return g_hookBodies.Escape(pso, iEsc, cjIn, pvIn, cjOut, pvOut); });
}

KADU_EXPORT BOOL APIENTRY DrvPaint(SURFOBJ* pso, CLIPOBJ* pco, BRUSHOBJ* pbo, POINTL* pptlBrushOrg, MIX mix) {
  return Guarded<BOOL>(kGuardPaint, [&] { return g_hookBodies.Paint(pso, pco, pbo, pptlBrushOrg, mix); });
}
