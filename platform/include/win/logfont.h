// The logical font record that GDI and the printer driver interface share
// (the driver's default fonts in DEVINFO, fonts chosen by applications).
// Declared once here so that every area that needs it includes the same one.
#pragma once
#include "win/base.h"

#define LF_FACESIZE 32

typedef struct tagLOGFONTW {
  LONG lfHeight;  // negative: character height; positive: cell height
  LONG lfWidth;
  LONG lfEscapement;
  LONG lfOrientation;
  LONG lfWeight;  // 400 normal, 700 bold
  BYTE lfItalic;
  BYTE lfUnderline;
  BYTE lfStrikeOut;
  BYTE lfCharSet;
  BYTE lfOutPrecision;
  BYTE lfClipPrecision;
  BYTE lfQuality;
  BYTE lfPitchAndFamily;
  WCHAR lfFaceName[LF_FACESIZE];
} LOGFONTW, *PLOGFONTW, *LPLOGFONTW;

static_assert(sizeof(LOGFONTW) == 92, "LOGFONTW size");
static_assert(offsetof(LOGFONTW, lfItalic) == 20 && offsetof(LOGFONTW, lfCharSet) == 23 &&
                  offsetof(LOGFONTW, lfPitchAndFamily) == 27 && offsetof(LOGFONTW, lfFaceName) == 28,
              "LOGFONTW layout");
