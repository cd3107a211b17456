// The application side of GDI: the device mode record (DEVMODEW) that
// applications, the spooler and printer drivers exchange, with its field
// bits and the values of its members. The record has its conventional byte
// layout; a driver's private block follows it (dmDriverExtra bytes).
#pragma once
#include <cstddef>

#include "win/base.h"

#define CCHDEVICENAME 32
#define CCHFORMNAME 32

// DEVMODE versions (dmSpecVersion) by public size: 188 bytes (3.51), 212 (4.0), 220.
#define DM_SPECVERSION 0x0401

typedef struct _devicemodeW {
  WCHAR dmDeviceName[CCHDEVICENAME];
  WORD dmSpecVersion;
  WORD dmDriverVersion;
  WORD dmSize;
  WORD dmDriverExtra;
  DWORD dmFields;
  union {
    struct {
      short dmOrientation;
      short dmPaperSize;
      short dmPaperLength;
      short dmPaperWidth;
      short dmScale;
      short dmCopies;
      short dmDefaultSource;
      short dmPrintQuality;
    };
    struct {
      POINTL dmPosition;
      DWORD dmDisplayOrientation;
      DWORD dmDisplayFixedOutput;
    };
  };
  short dmColor;
  short dmDuplex;
  short dmYResolution;
  short dmTTOption;
  short dmCollate;
  WCHAR dmFormName[CCHFORMNAME];
  WORD dmLogPixels;
  DWORD dmBitsPerPel;
  DWORD dmPelsWidth;
  DWORD dmPelsHeight;
  union {
    DWORD dmDisplayFlags;
    DWORD dmNup;
  };
  DWORD dmDisplayFrequency;
  DWORD dmICMMethod;
  DWORD dmICMIntent;
  DWORD dmMediaType;
  DWORD dmDitherType;
  DWORD dmReserved1;
  DWORD dmReserved2;
  DWORD dmPanningWidth;
  DWORD dmPanningHeight;
} DEVMODEW, *PDEVMODEW, *NPDEVMODEW, *LPDEVMODEW;

static_assert(sizeof(DEVMODEW) == 220, "DEVMODEW");
static_assert(offsetof(DEVMODEW, dmSpecVersion) == 64, "DEVMODEW");
static_assert(offsetof(DEVMODEW, dmDriverVersion) == 66, "DEVMODEW");
static_assert(offsetof(DEVMODEW, dmSize) == 68, "DEVMODEW");
static_assert(offsetof(DEVMODEW, dmDriverExtra) == 70, "DEVMODEW");
static_assert(offsetof(DEVMODEW, dmFields) == 72, "DEVMODEW");
static_assert(offsetof(DEVMODEW, dmOrientation) == 76, "DEVMODEW");
static_assert(offsetof(DEVMODEW, dmPaperSize) == 78, "DEVMODEW");
static_assert(offsetof(DEVMODEW, dmPaperLength) == 80, "DEVMODEW");
static_assert(offsetof(DEVMODEW, dmPaperWidth) == 82, "DEVMODEW");
static_assert(offsetof(DEVMODEW, dmScale) == 84, "DEVMODEW");
static_assert(offsetof(DEVMODEW, dmCopies) == 86, "DEVMODEW");
static_assert(offsetof(DEVMODEW, dmDefaultSource) == 88, "DEVMODEW");
static_assert(offsetof(DEVMODEW, dmPrintQuality) == 90, "DEVMODEW");
static_assert(offsetof(DEVMODEW, dmPosition) == 76, "DEVMODEW");
static_assert(offsetof(DEVMODEW, dmDisplayOrientation) == 84, "DEVMODEW");
static_assert(offsetof(DEVMODEW, dmDisplayFixedOutput) == 88, "DEVMODEW");
static_assert(offsetof(DEVMODEW, dmColor) == 92, "DEVMODEW");
static_assert(offsetof(DEVMODEW, dmDuplex) == 94, "DEVMODEW");
static_assert(offsetof(DEVMODEW, dmYResolution) == 96, "DEVMODEW");
static_assert(offsetof(DEVMODEW, dmTTOption) == 98, "DEVMODEW");
static_assert(offsetof(DEVMODEW, dmCollate) == 100, "DEVMODEW");
static_assert(offsetof(DEVMODEW, dmFormName) == 102, "DEVMODEW");
static_assert(offsetof(DEVMODEW, dmLogPixels) == 166, "DEVMODEW");
static_assert(offsetof(DEVMODEW, dmBitsPerPel) == 168, "DEVMODEW");
static_assert(offsetof(DEVMODEW, dmPelsWidth) == 172, "DEVMODEW");
static_assert(offsetof(DEVMODEW, dmPelsHeight) == 176, "DEVMODEW");
static_assert(offsetof(DEVMODEW, dmDisplayFlags) == 180, "DEVMODEW");
static_assert(offsetof(DEVMODEW, dmNup) == 180, "DEVMODEW");
static_assert(offsetof(DEVMODEW, dmDisplayFrequency) == 184, "DEVMODEW");
static_assert(offsetof(DEVMODEW, dmICMMethod) == 188, "DEVMODEW");
static_assert(offsetof(DEVMODEW, dmICMIntent) == 192, "DEVMODEW");
static_assert(offsetof(DEVMODEW, dmMediaType) == 196, "DEVMODEW");
static_assert(offsetof(DEVMODEW, dmDitherType) == 200, "DEVMODEW");
static_assert(offsetof(DEVMODEW, dmReserved1) == 204, "DEVMODEW");
static_assert(offsetof(DEVMODEW, dmReserved2) == 208, "DEVMODEW");
static_assert(offsetof(DEVMODEW, dmPanningWidth) == 212, "DEVMODEW");
static_assert(offsetof(DEVMODEW, dmPanningHeight) == 216, "DEVMODEW");

// dmFields bits: which members the record sets.
#define DM_ORIENTATION 0x00000001
#define DM_PAPERSIZE 0x00000002
#define DM_PAPERLENGTH 0x00000004
#define DM_PAPERWIDTH 0x00000008
#define DM_SCALE 0x00000010
#define DM_POSITION 0x00000020
#define DM_NUP 0x00000040
#define DM_DISPLAYORIENTATION 0x00000080
#define DM_COPIES 0x00000100
#define DM_DEFAULTSOURCE 0x00000200
#define DM_PRINTQUALITY 0x00000400
#define DM_COLOR 0x00000800
#define DM_DUPLEX 0x00001000
#define DM_YRESOLUTION 0x00002000
#define DM_TTOPTION 0x00004000
#define DM_COLLATE 0x00008000
#define DM_FORMNAME 0x00010000
#define DM_LOGPIXELS 0x00020000
#define DM_BITSPERPEL 0x00040000
#define DM_PELSWIDTH 0x00080000
#define DM_PELSHEIGHT 0x00100000
#define DM_DISPLAYFLAGS 0x00200000
#define DM_DISPLAYFREQUENCY 0x00400000
#define DM_ICMMETHOD 0x00800000
#define DM_ICMINTENT 0x01000000
#define DM_MEDIATYPE 0x02000000
#define DM_DITHERTYPE 0x04000000
#define DM_PANNINGWIDTH 0x08000000
#define DM_PANNINGHEIGHT 0x10000000

// dmOrientation.
#define DMORIENT_PORTRAIT 1
#define DMORIENT_LANDSCAPE 2

// dmPaperSize: the papers the driver names by their system code.
#define DMPAPER_LETTER 1
#define DMPAPER_LEGAL 5
#define DMPAPER_EXECUTIVE 7
#define DMPAPER_A3 8
#define DMPAPER_A4 9
#define DMPAPER_A5 11
#define DMPAPER_B4 12
#define DMPAPER_B5 13
#define DMPAPER_FOLIO 14
#define DMPAPER_ENV_10 20
#define DMPAPER_ENV_DL 27
#define DMPAPER_ENV_C5 28
#define DMPAPER_ENV_MONARCH 37
#define DMPAPER_JAPANESE_POSTCARD 43
#define DMPAPER_A6 70
#define DMPAPER_USER 256

// dmDefaultSource.
#define DMBIN_UPPER 1
#define DMBIN_ONLYONE 1
#define DMBIN_LOWER 2
#define DMBIN_MIDDLE 3
#define DMBIN_MANUAL 4
#define DMBIN_ENVELOPE 5
#define DMBIN_ENVMANUAL 6
#define DMBIN_AUTO 7
#define DMBIN_USER 256

// dmPrintQuality: negative values are device-independent levels.
#define DMRES_DRAFT (-1)
#define DMRES_LOW (-2)
#define DMRES_MEDIUM (-3)
#define DMRES_HIGH (-4)

// dmColor.
#define DMCOLOR_MONOCHROME 1
#define DMCOLOR_COLOR 2

// dmDuplex.
#define DMDUP_SIMPLEX 1
#define DMDUP_VERTICAL 2
#define DMDUP_HORIZONTAL 3

// dmTTOption.
#define DMTT_BITMAP 1
#define DMTT_DOWNLOAD 2
#define DMTT_SUBDEV 3
#define DMTT_DOWNLOAD_OUTLINE 4

// dmCollate.
#define DMCOLLATE_FALSE 0
#define DMCOLLATE_TRUE 1
