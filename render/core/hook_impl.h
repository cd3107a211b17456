// The bodies of the 20 guarded hooks. Each exported hook runs its body under
// the exception guard, calling it through GuardedHookBodies so that a test can
// put a body of its own in place of one.
#pragma once
#include "windows.h"

DHPDEV ImplEnablePDEV(DEVMODEW* pdm, LPWSTR pwszLogAddress, ULONG cPat, HSURF* phsurfPatterns, ULONG cjCaps,
                      ULONG* pdevcaps, ULONG cjDevInfo, DEVINFO* pdi, HDEV hdev, LPWSTR pwszDeviceName,
                      HANDLE hDriver);
BOOL ImplResetPDEV(DHPDEV dhpdevOld, DHPDEV dhpdevNew);
VOID ImplDisablePDEV(DHPDEV dhpdev);
HSURF ImplEnableSurface(DHPDEV dhpdev);
VOID ImplDisableSurface(DHPDEV dhpdev);
BOOL ImplStartDoc(SURFOBJ* pso, LPWSTR pwszDocName, DWORD dwJobId);
BOOL ImplEndDoc(SURFOBJ* pso, FLONG fl);
BOOL ImplStartPage(SURFOBJ* pso);
BOOL ImplSendPage(SURFOBJ* pso);
BOOL ImplBitBlt(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo, RECTL* prclTrg,
                POINTL* pptlSrc, POINTL* pptlMask, BRUSHOBJ* pbo, POINTL* pptlBrush, ROP4 rop4);
BOOL ImplCopyBits(SURFOBJ* psoDest, SURFOBJ* psoSrc, CLIPOBJ* pco, XLATEOBJ* pxlo, RECTL* prclDest, POINTL* pptlSrc);
BOOL ImplStretchBlt(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
                    COLORADJUSTMENT* pca, POINTL* pptlHTOrg, RECTL* prclDest, RECTL* prclSrc, POINTL* pptlMask,
                    ULONG iMode);
BOOL ImplStretchBltROP(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
                       COLORADJUSTMENT* pca, POINTL* pptlHTOrg, RECTL* prclDest, RECTL* prclSrc, POINTL* pptlMask,
                       ULONG iMode, BRUSHOBJ* pbo, DWORD rop4);
BOOL ImplTextOut(SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo, CLIPOBJ* pco, RECTL* prclExtra, RECTL* prclOpaque,
                 BRUSHOBJ* pboFore, BRUSHOBJ* pboOpaque, POINTL* pptlOrg, MIX mix);
BOOL ImplStrokePath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo, BRUSHOBJ* pbo, POINTL* pptlBrushOrg,
                    LINEATTRS* plineattrs, MIX mix);
BOOL ImplFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, BRUSHOBJ* pbo, POINTL* pptlBrushOrg, MIX mix,
                  FLONG flOptions);
BOOL ImplStrokeAndFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo, BRUSHOBJ* pboStroke,
                           LINEATTRS* plineattrs, BRUSHOBJ* pboFill, POINTL* pptlBrushOrg, MIX mixFill,
                           FLONG flOptions);
BOOL ImplPaint(SURFOBJ* pso, CLIPOBJ* pco, BRUSHOBJ* pbo, POINTL* pptlBrushOrg, MIX mix);
ULONG ImplEscape(SURFOBJ* pso, ULONG iEsc, ULONG cjIn, PVOID pvIn, ULONG cjOut, PVOID pvOut);
BOOL ImplRealizeBrush(BRUSHOBJ* pbo, SURFOBJ* psoTarget, SURFOBJ* psoPattern, SURFOBJ* psoMask, XLATEOBJ* pxlo,
                      ULONG iHatch);

struct GuardedHookBodies {
  decltype(&ImplEnablePDEV) EnablePDEV;
  decltype(&ImplDisablePDEV) DisablePDEV;
  decltype(&ImplResetPDEV) ResetPDEV;
  decltype(&ImplEnableSurface) EnableSurface;
  decltype(&ImplDisableSurface) DisableSurface;
  decltype(&ImplStartDoc) StartDoc;
  decltype(&ImplEndDoc) EndDoc;
  decltype(&ImplStartPage) StartPage;
  decltype(&ImplSendPage) SendPage;
  decltype(&ImplBitBlt) BitBlt;
  decltype(&ImplCopyBits) CopyBits;
  decltype(&ImplStretchBlt) StretchBlt;
  decltype(&ImplStretchBltROP) StretchBltROP;
  decltype(&ImplTextOut) TextOut;
  decltype(&ImplStrokePath) StrokePath;
  decltype(&ImplFillPath) FillPath;
  decltype(&ImplStrokeAndFillPath) StrokeAndFillPath;
  decltype(&ImplPaint) Paint;
  decltype(&ImplEscape) Escape;
  decltype(&ImplRealizeBrush) RealizeBrush;
};

extern GuardedHookBodies g_hookBodies;
// The bodies the library ships with.
extern const GuardedHookBodies kShippedHookBodies;
