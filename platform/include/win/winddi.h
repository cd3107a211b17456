// The graphics engine side of the printer driver interface: the types a
// printer graphics driver exchanges with the engine, the DDI function indices
// and the engine services. Declared from their documented meanings with their
// natural sizes on this 64-bit platform. Objects the code does not look into
// yet are declared opaque.
#pragma once
#include "win/base.h"

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
