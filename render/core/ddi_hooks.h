// The exports of the rendering library: driver entry and the 30 DDI hooks,
// with the engine's calling conventions.
#pragma once
#include "render/core/export.h"
#include "windows.h"

KADU_EXPORT BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);
KADU_EXPORT BOOL APIENTRY DrvQueryDriverInfo(DWORD dwMode, PVOID pBuffer, DWORD cbBuf, PDWORD pcbNeeded);
KADU_EXPORT BOOL APIENTRY DrvEnableDriver(ULONG iEngineVersion, ULONG cj, DRVENABLEDATA* pded);
KADU_EXPORT VOID APIENTRY DrvDisableDriver(void);

KADU_EXPORT DHPDEV APIENTRY DrvEnablePDEV(DEVMODEW* pdm, LPWSTR pwszLogAddress, ULONG cPat, HSURF* phsurfPatterns,
                                          ULONG cjCaps, ULONG* pdevcaps, ULONG cjDevInfo, DEVINFO* pdi, HDEV hdev,
                                          LPWSTR pwszDeviceName, HANDLE hDriver);
KADU_EXPORT BOOL APIENTRY DrvResetPDEV(DHPDEV dhpdevOld, DHPDEV dhpdevNew);
KADU_EXPORT VOID APIENTRY DrvCompletePDEV(DHPDEV dhpdev, HDEV hdev);
KADU_EXPORT VOID APIENTRY DrvDisablePDEV(DHPDEV dhpdev);
KADU_EXPORT HSURF APIENTRY DrvEnableSurface(DHPDEV dhpdev);
KADU_EXPORT VOID APIENTRY DrvDisableSurface(DHPDEV dhpdev);
KADU_EXPORT ULONG APIENTRY DrvDitherColor(DHPDEV dhpdev, ULONG iMode, ULONG rgb, ULONG* pul);
KADU_EXPORT BOOL APIENTRY DrvStartPage(SURFOBJ* pso);
KADU_EXPORT BOOL APIENTRY DrvStartDoc(SURFOBJ* pso, LPWSTR pwszDocName, DWORD dwJobId);
KADU_EXPORT BOOL APIENTRY DrvSendPage(SURFOBJ* pso);
KADU_EXPORT BOOL APIENTRY DrvEndDoc(SURFOBJ* pso, FLONG fl);
KADU_EXPORT BOOL APIENTRY DrvStartBanding(SURFOBJ* pso, POINTL* pptl);
KADU_EXPORT BOOL APIENTRY DrvNextBand(SURFOBJ* pso, POINTL* pptl);
KADU_EXPORT BOOL APIENTRY DrvBitBlt(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
                                    RECTL* prclTrg, POINTL* pptlSrc, POINTL* pptlMask, BRUSHOBJ* pbo,
                                    POINTL* pptlBrush, ROP4 rop4);
KADU_EXPORT BOOL APIENTRY DrvStretchBlt(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco,
                                        XLATEOBJ* pxlo, COLORADJUSTMENT* pca, POINTL* pptlHTOrg, RECTL* prclDest,
                                        RECTL* prclSrc, POINTL* pptlMask, ULONG iMode);
KADU_EXPORT BOOL APIENTRY DrvStretchBltROP(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco,
                                           XLATEOBJ* pxlo, COLORADJUSTMENT* pca, POINTL* pptlHTOrg, RECTL* prclDest,
                                           RECTL* prclSrc, POINTL* pptlMask, ULONG iMode, BRUSHOBJ* pbo, DWORD rop4);
KADU_EXPORT BOOL APIENTRY DrvRealizeBrush(BRUSHOBJ* pbo, SURFOBJ* psoTarget, SURFOBJ* psoPattern, SURFOBJ* psoMask,
                                          XLATEOBJ* pxlo, ULONG iHatch);
KADU_EXPORT BOOL APIENTRY DrvCopyBits(SURFOBJ* psoDest, SURFOBJ* psoSrc, CLIPOBJ* pco, XLATEOBJ* pxlo,
                                      RECTL* prclDest, POINTL* pptlSrc);
KADU_EXPORT BOOL APIENTRY DrvStrokePath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo, BRUSHOBJ* pbo,
                                        POINTL* pptlBrushOrg, LINEATTRS* plineattrs, MIX mix);
KADU_EXPORT BOOL APIENTRY DrvFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, BRUSHOBJ* pbo, POINTL* pptlBrushOrg,
                                      MIX mix, FLONG flOptions);
KADU_EXPORT BOOL APIENTRY DrvStrokeAndFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo,
                                               BRUSHOBJ* pboStroke, LINEATTRS* plineattrs, BRUSHOBJ* pboFill,
                                               POINTL* pptlBrushOrg, MIX mixFill, FLONG flOptions);
KADU_EXPORT BOOL APIENTRY DrvTextOut(SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo, CLIPOBJ* pco, RECTL* prclExtra,
                                     RECTL* prclOpaque, BRUSHOBJ* pboFore, BRUSHOBJ* pboOpaque, POINTL* pptlOrg,
                                     MIX mix);
KADU_EXPORT PIFIMETRICS APIENTRY DrvQueryFont(DHPDEV dhpdev, ULONG_PTR iFile, ULONG iFace, ULONG_PTR* pid);
KADU_EXPORT PVOID APIENTRY DrvQueryFontTree(DHPDEV dhpdev, ULONG_PTR iFile, ULONG iFace, ULONG iMode, ULONG_PTR* pid);
KADU_EXPORT LONG APIENTRY DrvQueryFontData(DHPDEV dhpdev, FONTOBJ* pfo, ULONG iMode, HGLYPH hg, GLYPHDATA* pgd,
                                           PVOID pv, ULONG cjSize);
KADU_EXPORT ULONG APIENTRY DrvEscape(SURFOBJ* pso, ULONG iEsc, ULONG cjIn, PVOID pvIn, ULONG cjOut, PVOID pvOut);
KADU_EXPORT ULONG APIENTRY DrvDrawEscape(SURFOBJ* pso, ULONG iEsc, CLIPOBJ* pco, RECTL* prcl, ULONG cjIn, PVOID pvIn);
KADU_EXPORT BOOL APIENTRY DrvPaint(SURFOBJ* pso, CLIPOBJ* pco, BRUSHOBJ* pbo, POINTL* pptlBrushOrg, MIX mix);
KADU_EXPORT ULONG APIENTRY DrvGetGlyphMode(DHPDEV dhpdev, FONTOBJ* pfo);
KADU_EXPORT BOOL APIENTRY DrvQueryAdvanceWidths(DHPDEV dhpdev, FONTOBJ* pfo, ULONG iMode, HGLYPH* phg,
                                                PVOID pvWidths, ULONG cGlyphs);
