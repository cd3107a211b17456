// Page sequencing state of a PDEV (member `page`): what the driver last told
// the printer about paper and direction, the document's identity, and the
// driver's tuning values read from the printer's data at enable.
#pragma once
#include "windows.h"

constexpr size_t kDefaultFontChars = 32;  // a LOGFONT face name

struct PageState {
  DWORD jobId;             // dwJobId of the first DrvStartDoc of the job
  LONG cachedSource;       // last "\e&l#H"; -1 when unknown
  LONG cachedMedia;        // last media nibble sent; -1 when unknown
  LONG cachedDirection;    // last print direction (0-3, plus 0x80)
  LONG rotationGl2;        // rotation of the page for HP-GL/2, degrees
  LONG rotationText;       // and for the text code
  BOOL rotatedInverted;    // DrvStartPage inverted the rotated flag for this page
  DWORD walkFlips;         // walk flips applied to the page being sent
  // Driver settings from the printer's data.
  DWORD banding;
  DWORD division;
  DWORD fallDownType;
  DWORD speed;
  DWORD charRotate;
  LONG charRotateState[3];
  WCHAR defaultFont[kDefaultFontChars];
  LONG offsetX, offsetY;   // print offsets, turned for landscape
};
