// The HP-GL/2 state the driver believes the printer holds, kept in the PDEV
// (member `gl2`) so that unchanged instructions are not sent again.
//
// Lifecycle, for the PDEV code:
//   Gl2StateInit       when a PDEV is enabled: PCL context, every cache unknown.
//   Gl2StateResetPage  at the start of every page: every cache unknown, the
//                      style copy freed. The context flag is kept: it describes
//                      the stream, which does not change context at a page
//                      boundary.
//   Gl2StateCarry      DrvResetPDEV: the old PDEV's state goes to the new one;
//                      the style copy moves (the old PDEV no longer owns it).
//   Gl2StateRelease    DrvDisablePDEV: frees the style copy.
// After writing "\eE" or a UEL, call NotePrinterReset (gl2_context.h).
#pragma once
#include "windows.h"

struct PDEV;

// Path state flags (pathFlags), shared with the path renderer.
enum : DWORD {
  GL2_PATH_POLYGON = 0x0002,      // the next subpath opens with "PM0"
  GL2_PATH_BZ_FIRST = 0x0004,     // the next Bezier triple is the first of its BZ
  GL2_PATH_BZ_OPEN = 0x0008,      // a BZ instruction is open
  GL2_PATH_PE_OPEN = 0x0010,      // a PE instruction is open
  GL2_PATH_EDGE_ADJUST = 0x0400,  // edge-line adjustment active
};

struct Gl2State {
  BOOL inGL2;           // 1: the stream is in HP-GL/2 context, 0: in PCL
  LONG merge;           // last "MC1,#" value
  LONG lineEnd;         // last LA line end
  LONG lineJoin;        // last LA line join
  DWORD penWidth;       // last PW source: a cosmetic width (integer) or a
                        // geometric width (float bits), in one slot
  BOOL penWidthKnown;
  FLOAT miterLimit;     // last LA miter limit; 0 (never sent) when unknown
  DWORD* styleCopy;     // heap copy of the last cosmetic style sent
  ULONG styleCount;
  LONG fillType, fillP1, fillP2;  // last FT
  LONG screenType, screenP;       // last SV
  BOOL windowSet;       // an input window (IW) may be in force
  LONG scaleX, scaleY;  // last SC maxima
  LONG rotation;        // last RO angle
  POINTL current;       // device position (not flipped) of the last move
  DWORD pathFlags;      // GL2_PATH_*
};

void Gl2StateInit(PDEV* pdev);
void Gl2StateResetPage(PDEV* pdev);
void Gl2StateCarry(PDEV* to, PDEV* from);
void Gl2StateRelease(PDEV* pdev);
// Every cached instruction value becomes unknown (after IN, "\eE" or a page
// start); the context flag, current point and path flags are left alone.
void Gl2ForgetCaches(PDEV* pdev);
