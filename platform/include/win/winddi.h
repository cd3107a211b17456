// The graphics engine side of the printer driver interface: the types a
// printer graphics driver exchanges with the engine, the DDI function indices
// and the engine services. Declared from their documented meanings with their
// natural sizes on this 64-bit platform. Objects the code does not look into
// yet are declared opaque.
#pragma once
#include "win/base.h"
#include "win/logfont.h"

KW_DECLARE_HANDLE(HSURF);
KW_DECLARE_HANDLE(DHSURF);
KW_DECLARE_HANDLE(DHPDEV);
KW_DECLARE_HANDLE(HDEV);

typedef ULONG HGLYPH;
typedef ULONG ROP4;
typedef ULONG MIX;
typedef LONG_PTR(APIENTRY* PFN)();

typedef struct _CLIPOBJ CLIPOBJ;
typedef struct _XLATEOBJ XLATEOBJ;
typedef struct _BRUSHOBJ BRUSHOBJ;
typedef struct _STROBJ STROBJ;
typedef struct _FONTOBJ FONTOBJ;
typedef struct _PATHOBJ PATHOBJ;
typedef struct _XFORMOBJ XFORMOBJ;
typedef struct _LINEATTRS LINEATTRS;
typedef struct _COLORADJUSTMENT COLORADJUSTMENT;
typedef struct _IFIMETRICS IFIMETRICS, *PIFIMETRICS;
typedef struct _GLYPHDATA GLYPHDATA;
typedef struct _GDIINFO GDIINFO;
typedef struct _DEVINFO DEVINFO;
typedef struct _devicemodeW DEVMODEW, *PDEVMODEW;

// Engine versions and query modes.
#define DDI_DRIVER_VERSION_NT5 0x00020000
#define DRVQUERY_USERMODE 1

// Escape that asks whether an escape is supported.
#define QUERYESCSUPPORT 8

// The functions of a driver's hook table, by DDI index.
#define INDEX_DrvEnablePDEV 0L
#define INDEX_DrvCompletePDEV 1L
#define INDEX_DrvDisablePDEV 2L
#define INDEX_DrvEnableSurface 3L
#define INDEX_DrvDisableSurface 4L
#define INDEX_DrvResetPDEV 7L
#define INDEX_DrvDisableDriver 8L
#define INDEX_DrvRealizeBrush 12L
#define INDEX_DrvDitherColor 13L
#define INDEX_DrvStrokePath 14L
#define INDEX_DrvFillPath 15L
#define INDEX_DrvStrokeAndFillPath 16L
#define INDEX_DrvPaint 17L
#define INDEX_DrvBitBlt 18L
#define INDEX_DrvCopyBits 19L
#define INDEX_DrvStretchBlt 20L
#define INDEX_DrvTextOut 23L
#define INDEX_DrvEscape 24L
#define INDEX_DrvDrawEscape 25L
#define INDEX_DrvQueryFont 26L
#define INDEX_DrvQueryFontTree 27L
#define INDEX_DrvQueryFontData 28L
#define INDEX_DrvSendPage 32L
#define INDEX_DrvStartPage 33L
#define INDEX_DrvEndDoc 34L
#define INDEX_DrvStartDoc 35L
#define INDEX_DrvGetGlyphMode 37L
#define INDEX_DrvQueryAdvanceWidths 53L
#define INDEX_DrvStartBanding 57L
#define INDEX_DrvNextBand 58L
#define INDEX_DrvStretchBltROP 69L

// Number of standard hatch patterns the engine asks DrvEnablePDEV for.
#define HS_DDI_MAX 6

// DrvEndDoc: the document was cancelled.
#define ED_ABORTDOC 1

// Failure result of DrvQueryFontData.
#define FD_ERROR 0xFFFFFFFFu

typedef struct _DRVFN {
  ULONG iFunc;
  PFN pfn;
} DRVFN, *PDRVFN;

typedef struct _DRVENABLEDATA {
  ULONG iDriverVersion;
  ULONG c;
  DRVFN* pdrvfn;
} DRVENABLEDATA, *PDRVENABLEDATA;

typedef struct _SURFOBJ {
  DHSURF dhsurf;
  HSURF hsurf;
  DHPDEV dhpdev;
  HDEV hdev;
  SIZEL sizlBitmap;
  ULONG cjBits;
  PVOID pvBits;
  PVOID pvScan0;
  LONG lDelta;
  ULONG iUniq;
  ULONG iBitmapFormat;
  USHORT iType;
  USHORT fjBitmap;
} SURFOBJ;

// A run of consecutive Unicode characters and the glyph handles of each.
typedef struct _WCRUN {
  WCHAR wcLow;
  USHORT cGlyphs;
  HGLYPH* phg;
} WCRUN, *PWCRUN;

// The characters a font supports, as sorted runs. One block: the glyph handle
// arrays follow the runs, and cjThis counts all of it.
typedef struct _FD_GLYPHSET {
  ULONG cjThis;
  FLONG flAccel;
  ULONG cGlyphsSupported;
  ULONG cRuns;
  WCRUN awcrun[1];
} FD_GLYPHSET, *PFD_GLYPHSET;

#define GS_UNICODE_HANDLES 0x00000001
#define GS_8BIT_HANDLES 0x00000002
#define GS_16BIT_HANDLES 0x00000004

static_assert(sizeof(DRVFN) == 16 && offsetof(DRVFN, pfn) == 8, "DRVFN layout");
static_assert(sizeof(DRVENABLEDATA) == 16 && offsetof(DRVENABLEDATA, pdrvfn) == 8, "DRVENABLEDATA layout");
static_assert(sizeof(SURFOBJ) == 80 && offsetof(SURFOBJ, dhpdev) == 16 && offsetof(SURFOBJ, sizlBitmap) == 32 &&
                  offsetof(SURFOBJ, pvBits) == 48 && offsetof(SURFOBJ, lDelta) == 64 && offsetof(SURFOBJ, iType) == 76,
              "SURFOBJ layout");
static_assert(sizeof(WCRUN) == 16 && offsetof(WCRUN, phg) == 8, "WCRUN layout");
static_assert(sizeof(FD_GLYPHSET) == 32 && offsetof(FD_GLYPHSET, awcrun) == 16, "FD_GLYPHSET layout");

// TRUE when the job of the surface was cancelled and drawing should stop.
KW_API BOOL APIENTRY EngCheckAbort(SURFOBJ* pso);
// The glyph set of `cChars` single-byte codes from `nFirstChar` in code page
// `nCodePage` (0: the ANSI code page); glyph handles are the byte codes.
// The block stays with the engine.
KW_API FD_GLYPHSET* APIENTRY EngComputeGlyphSet(INT nCodePage, INT nFirstChar, INT cChars);

// ---------------------------------------------------------------------------
// Surfaces and bitmaps.

// Bitmap formats (iBitmapFormat): bits per pixel of an engine bitmap, or the
// format a device surface is compatible with.
#define BMF_1BPP 1L
#define BMF_4BPP 2L
#define BMF_8BPP 3L
#define BMF_16BPP 4L
#define BMF_24BPP 5L
#define BMF_32BPP 6L
#define BMF_4RLE 7L
#define BMF_8RLE 8L
#define BMF_JPEG 9L
#define BMF_PNG 10L

// Bitmap options (EngCreateBitmap fl, SURFOBJ fjBitmap). Without BMF_TOPDOWN
// the first scan line of the picture is the last one in memory.
#define BMF_TOPDOWN 0x0001
#define BMF_NOZEROINIT 0x0002
#define BMF_DONTCACHE 0x0004
#define BMF_USERMEM 0x0008

// Surface types (SURFOBJ iType): bits the engine manages, or an opaque
// surface that only the driver can draw on.
#define STYPE_BITMAP 0
#define STYPE_DEVICE 1
#define STYPE_DEVBITMAP 3

// Drawing calls the engine routes to the driver for a surface
// (EngAssociateSurface flHooks).
#define HOOK_BITBLT 0x00000001
#define HOOK_STRETCHBLT 0x00000002
#define HOOK_PLGBLT 0x00000004
#define HOOK_TEXTOUT 0x00000008
#define HOOK_PAINT 0x00000010
#define HOOK_STROKEPATH 0x00000020
#define HOOK_FILLPATH 0x00000040
#define HOOK_STROKEANDFILLPATH 0x00000080
#define HOOK_LINETO 0x00000100
#define HOOK_COPYBITS 0x00000400
#define HOOK_MOVEPANNING 0x00000800
#define HOOK_SYNCHRONIZE 0x00001000
#define HOOK_STRETCHBLTROP 0x00002000
#define HOOK_SYNCHRONIZEACCESS 0x00004000
#define HOOK_TRANSPARENTBLT 0x00008000
#define HOOK_ALPHABLEND 0x00010000
#define HOOK_GRADIENTFILL 0x00020000

// A bitmap over `pvBits` (rows `lWidth` bytes apart, at least the bytes of one
// row), or over zero-filled bits of the engine's own when `pvBits` is null.
// pvScan0 and lDelta of its SURFOBJ address the top row in either order.
KW_API HBITMAP APIENTRY EngCreateBitmap(SIZEL sizl, LONG lWidth, ULONG iFormat, FLONG fl, PVOID pvBits);
// An opaque surface of the driver's own (dhsurf) that the engine cannot draw on.
KW_API HSURF APIENTRY EngCreateDeviceSurface(DHSURF dhsurf, SIZEL sizl, ULONG iFormatCompat);
// Ties a surface to the engine's device and says which drawing calls go to
// the driver. The surface's dhpdev becomes the device's PDEV.
KW_API BOOL APIENTRY EngAssociateSurface(HSURF hsurf, HDEV hdev, FLONG flHooks);
// Asks the engine to draw pages on this surface band by band.
KW_API BOOL APIENTRY EngMarkBandingSurface(HSURF hsurf);
KW_API SURFOBJ* APIENTRY EngLockSurface(HSURF hsurf);
KW_API VOID APIENTRY EngUnlockSurface(SURFOBJ* pso);
// The handle dies at once; a surface still locked keeps its memory until the
// last EngUnlockSurface.
KW_API BOOL APIENTRY EngDeleteSurface(HSURF hsurf);
// Fills `prcl` (the whole surface when null) with the pixel value `iColor`.
KW_API BOOL APIENTRY EngEraseSurface(SURFOBJ* pso, RECTL* prcl, ULONG iColor);

// ---------------------------------------------------------------------------
// Palettes.

#define PAL_INDEXED 0x00000001
#define PAL_BITFIELDS 0x00000002
#define PAL_RGB 0x00000004
#define PAL_BGR 0x00000008

// PAL_INDEXED: `cColors` entries from `pulColors` (0x00RRGGBB); PAL_BITFIELDS:
// the three masks; PAL_RGB, PAL_BGR: bytes in that order, nothing else used.
KW_API HPALETTE APIENTRY EngCreatePalette(ULONG iMode, ULONG cColors, ULONG* pulColors, FLONG flRed, FLONG flGreen,
                                          FLONG flBlue);
KW_API BOOL APIENTRY EngDeletePalette(HPALETTE hpal);

// ---------------------------------------------------------------------------
// Clipping and colour translation as the engine hands them to drawing calls.

// Complexity of the clip (iDComplexity).
#define DC_TRIVIAL 0  // nothing clipped
#define DC_RECT 1     // clipped to rclBounds
#define DC_COMPLEX 3  // a region: enumerate its rectangles
// Complexity of the clip before the target's bounds were applied (iFComplexity).
#define FC_RECT 1
#define FC_RECT4 2
#define FC_COMPLEX 3
// iMode: the region is held as rectangles.
#define TC_RECTANGLES 4

struct _CLIPOBJ {
  ULONG iUniq;
  RECTL rclBounds;  // bounds of the visible area, exclusive on the right and bottom
  BYTE iDComplexity;
  BYTE iFComplexity;
  BYTE iMode;
  BYTE fjOptions;
};

// How source indices map to target indices (flXlate).
#define XO_TRIVIAL 0x00000001  // unchanged
#define XO_TABLE 0x00000002    // through pulXlate
#define XO_TO_MONO 0x00000004

struct _XLATEOBJ {
  ULONG iUniq;
  FLONG flXlate;
  USHORT iSrcType;
  USHORT iDstType;
  ULONG cEntries;
  ULONG* pulXlate;
};

// Raster operation of EngBitBlt: ROP3 in both bytes when there is no mask.
// Copies go through the engine's per-operation table; an operation it does
// not have yet fails with ERROR_NOT_SUPPORTED.
KW_API BOOL APIENTRY EngBitBlt(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
                               RECTL* prclTrg, POINTL* pptlSrc, POINTL* pptlMask, BRUSHOBJ* pbo, POINTL* pptlBrush,
                               ROP4 rop4);
KW_API BOOL APIENTRY EngCopyBits(SURFOBJ* psoDest, SURFOBJ* psoSrc, CLIPOBJ* pco, XLATEOBJ* pxlo, RECTL* prclDest,
                                 POINTL* pptlSrc);

static_assert(sizeof(CLIPOBJ) == 24 && offsetof(CLIPOBJ, rclBounds) == 4 && offsetof(CLIPOBJ, iDComplexity) == 20 &&
                  offsetof(CLIPOBJ, fjOptions) == 23,
              "CLIPOBJ layout");
static_assert(sizeof(XLATEOBJ) == 24 && offsetof(XLATEOBJ, iSrcType) == 8 && offsetof(XLATEOBJ, cEntries) == 12 &&
                  offsetof(XLATEOBJ, pulXlate) == 16,
              "XLATEOBJ layout");

// ---------------------------------------------------------------------------
// What a driver tells the engine about its device: GDIINFO (DrvEnablePDEV's
// pdevcaps) and DEVINFO.

typedef LONG LDECIMAL;

typedef struct _CIECHROMA {
  LDECIMAL x;
  LDECIMAL y;
  LDECIMAL Y;
} CIECHROMA;

// Chromaticities of the device's primaries and dyes, in units of 1/10000.
typedef struct _COLORINFO {
  CIECHROMA Red;
  CIECHROMA Green;
  CIECHROMA Blue;
  CIECHROMA Cyan;
  CIECHROMA Magenta;
  CIECHROMA Yellow;
  CIECHROMA AlignmentWhite;
  LDECIMAL RedGamma;
  LDECIMAL GreenGamma;
  LDECIMAL BlueGamma;
  LDECIMAL MagentaInCyanDye;
  LDECIMAL YellowInCyanDye;
  LDECIMAL CyanInMagentaDye;
  LDECIMAL YellowInMagentaDye;
  LDECIMAL CyanInYellowDye;
  LDECIMAL MagentaInYellowDye;
} COLORINFO, *PCOLORINFO;

struct _GDIINFO {
  ULONG ulVersion;
  ULONG ulTechnology;
  ULONG ulHorzSize;  // printable width in millimetres (or micrometres when negative)
  ULONG ulVertSize;
  ULONG ulHorzRes;  // printable width in pixels
  ULONG ulVertRes;
  ULONG cBitsPixel;
  ULONG cPlanes;
  ULONG ulNumColors;
  ULONG flRaster;
  ULONG ulLogPixelsX;
  ULONG ulLogPixelsY;
  ULONG flTextCaps;
  ULONG ulDACRed;
  ULONG ulDACGreen;
  ULONG ulDACBlue;
  ULONG ulAspectX;
  ULONG ulAspectY;
  ULONG ulAspectXY;
  LONG xStyleStep;
  LONG yStyleStep;
  LONG denStyleStep;
  POINTL ptlPhysOffset;  // printable area's offset on the paper, pixels
  SIZEL szlPhysSize;     // the paper, pixels
  ULONG ulNumPalReg;
  COLORINFO ciDevice;
  ULONG ulDevicePelsDPI;
  ULONG ulPrimaryOrder;
  ULONG ulHTPatternSize;
  ULONG ulHTOutputFormat;
  ULONG flHTFlags;
  ULONG ulVRefresh;
  ULONG ulBltAlignment;
  ULONG ulPanningHorzRes;
  ULONG ulPanningVertRes;
  ULONG xPanningAlignment;
  ULONG yPanningAlignment;
  ULONG cxHTPat;  // HT_PATSIZE_USER: size and threshold planes of the pattern
  ULONG cyHTPat;
  LPBYTE pHTPatA;
  LPBYTE pHTPatB;
  LPBYTE pHTPatC;
  ULONG flShadeBlend;
  ULONG ulPhysicalPixelCharacteristics;
  ULONG ulPhysicalPixelGamma;
};
typedef GDIINFO* PGDIINFO;

// GDIINFO ulHTPatternSize: the halftone cell.
#define HT_PATSIZE_2x2 0
#define HT_PATSIZE_2x2_M 1
#define HT_PATSIZE_4x4 2
#define HT_PATSIZE_4x4_M 3
#define HT_PATSIZE_6x6 4
#define HT_PATSIZE_6x6_M 5
#define HT_PATSIZE_8x8 6
#define HT_PATSIZE_8x8_M 7
#define HT_PATSIZE_10x10 8
#define HT_PATSIZE_10x10_M 9
#define HT_PATSIZE_12x12 10
#define HT_PATSIZE_12x12_M 11
#define HT_PATSIZE_14x14 12
#define HT_PATSIZE_14x14_M 13
#define HT_PATSIZE_16x16 14
#define HT_PATSIZE_16x16_M 15
#define HT_PATSIZE_SUPERCELL 16
#define HT_PATSIZE_SUPERCELL_M 17
#define HT_PATSIZE_USER 18
// GDIINFO ulHTOutputFormat.
#define HT_FORMAT_1BPP 0
#define HT_FORMAT_4BPP 2
#define HT_FORMAT_4BPP_IRGB 3
#define HT_FORMAT_8BPP 4
#define HT_FORMAT_16BPP 5
#define HT_FORMAT_24BPP 6
#define HT_FORMAT_32BPP 7
// GDIINFO flHTFlags.
#define HT_FLAG_SQUARE_DEVICE_PEL 0x00000001
#define HT_FLAG_HAS_BLACK_DYE 0x00000002
#define HT_FLAG_ADDITIVE_PRIMS 0x00000004
#define HT_FLAG_OUTPUT_CMY 0x00000100

// DEVINFO flGraphicsCaps: what the driver can draw itself.
#define GCAPS_BEZIERS 0x00000001
#define GCAPS_GEOMETRICWIDE 0x00000002
#define GCAPS_ALTERNATEFILL 0x00000004
#define GCAPS_WINDINGFILL 0x00000008
#define GCAPS_HALFTONE 0x00000010
#define GCAPS_COLOR_DITHER 0x00000020
#define GCAPS_HORIZSTRIKE 0x00000040
#define GCAPS_VERTSTRIKE 0x00000080
#define GCAPS_OPAQUERECT 0x00000100
#define GCAPS_VECTORFONT 0x00000200
#define GCAPS_MONO_DITHER 0x00000400
#define GCAPS_DONTJOURNAL 0x00002000
#define GCAPS_ARBRUSHOPAQUE 0x00008000
#define GCAPS_HIGHRESTEXT 0x00040000
#define GCAPS_PALMANAGED 0x00080000
#define GCAPS_DITHERONREALIZE 0x00200000

struct _DEVINFO {
  FLONG flGraphicsCaps;
  LOGFONTW lfDefaultFont;
  LOGFONTW lfAnsiVarFont;
  LOGFONTW lfAnsiFixFont;
  ULONG cFonts;  // device fonts the driver offers
  ULONG iDitherFormat;
  USHORT cxDither;
  USHORT cyDither;
  HPALETTE hpalDefault;  // the device's palette, owned by the driver
  FLONG flGraphicsCaps2;
};
typedef DEVINFO* PDEVINFO;

// Natural 64-bit layouts: the three halftone pattern pointers widen GDIINFO
// to 320 bytes and the palette handle DEVINFO to 312.
static_assert(sizeof(CIECHROMA) == 12 && sizeof(COLORINFO) == 120 && offsetof(COLORINFO, RedGamma) == 84,
              "COLORINFO layout");
static_assert(sizeof(GDIINFO) == 320, "GDIINFO size");
static_assert(offsetof(GDIINFO, ulHorzRes) == 16 && offsetof(GDIINFO, cBitsPixel) == 24 &&
                  offsetof(GDIINFO, ulLogPixelsX) == 40 && offsetof(GDIINFO, flTextCaps) == 48 &&
                  offsetof(GDIINFO, ulAspectX) == 64 && offsetof(GDIINFO, denStyleStep) == 84 &&
                  offsetof(GDIINFO, ptlPhysOffset) == 88 && offsetof(GDIINFO, szlPhysSize) == 96 &&
                  offsetof(GDIINFO, ulNumPalReg) == 104 && offsetof(GDIINFO, ciDevice) == 108 &&
                  offsetof(GDIINFO, ulDevicePelsDPI) == 228 && offsetof(GDIINFO, ulHTPatternSize) == 236 &&
                  offsetof(GDIINFO, flHTFlags) == 244 && offsetof(GDIINFO, cxHTPat) == 272 &&
                  offsetof(GDIINFO, pHTPatA) == 280 && offsetof(GDIINFO, flShadeBlend) == 304 &&
                  offsetof(GDIINFO, ulPhysicalPixelGamma) == 312,
              "GDIINFO layout");
static_assert(sizeof(DEVINFO) == 312, "DEVINFO size");
static_assert(offsetof(DEVINFO, lfDefaultFont) == 4 && offsetof(DEVINFO, lfAnsiVarFont) == 96 &&
                  offsetof(DEVINFO, lfAnsiFixFont) == 188 && offsetof(DEVINFO, cFonts) == 280 &&
                  offsetof(DEVINFO, iDitherFormat) == 284 && offsetof(DEVINFO, cxDither) == 288 &&
                  offsetof(DEVINFO, cyDither) == 290 && offsetof(DEVINFO, hpalDefault) == 296 &&
                  offsetof(DEVINFO, flGraphicsCaps2) == 304,
              "DEVINFO layout");

// ---------------------------------------------------------------------------
// The driver functions the engine calls, by type.

typedef BOOL(APIENTRY* PFN_DrvQueryDriverInfo)(DWORD dwMode, PVOID pBuffer, DWORD cbBuf, PDWORD pcbNeeded);
typedef BOOL(APIENTRY* PFN_DrvEnableDriver)(ULONG iEngineVersion, ULONG cj, DRVENABLEDATA* pded);
typedef VOID(APIENTRY* PFN_DrvDisableDriver)(void);
typedef DHPDEV(APIENTRY* PFN_DrvEnablePDEV)(DEVMODEW* pdm, LPWSTR pwszLogAddress, ULONG cPat, HSURF* phsurfPatterns,
                                            ULONG cjCaps, ULONG* pdevcaps, ULONG cjDevInfo, DEVINFO* pdi, HDEV hdev,
                                            LPWSTR pwszDeviceName, HANDLE hDriver);
typedef VOID(APIENTRY* PFN_DrvCompletePDEV)(DHPDEV dhpdev, HDEV hdev);
typedef BOOL(APIENTRY* PFN_DrvResetPDEV)(DHPDEV dhpdevOld, DHPDEV dhpdevNew);
typedef VOID(APIENTRY* PFN_DrvDisablePDEV)(DHPDEV dhpdev);
typedef HSURF(APIENTRY* PFN_DrvEnableSurface)(DHPDEV dhpdev);
typedef VOID(APIENTRY* PFN_DrvDisableSurface)(DHPDEV dhpdev);
typedef BOOL(APIENTRY* PFN_DrvStartDoc)(SURFOBJ* pso, LPWSTR pwszDocName, DWORD dwJobId);
typedef ULONG(APIENTRY* PFN_DrvEscape)(SURFOBJ* pso, ULONG iEsc, ULONG cjIn, PVOID pvIn, ULONG cjOut, PVOID pvOut);
typedef BOOL(APIENTRY* PFN_DrvEndDoc)(SURFOBJ* pso, FLONG fl);
typedef BOOL(APIENTRY* PFN_DrvStartPage)(SURFOBJ* pso);
typedef BOOL(APIENTRY* PFN_DrvSendPage)(SURFOBJ* pso);
typedef BOOL(APIENTRY* PFN_DrvStartBanding)(SURFOBJ* pso, POINTL* pptl);
typedef BOOL(APIENTRY* PFN_DrvNextBand)(SURFOBJ* pso, POINTL* pptl);
