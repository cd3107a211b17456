// The HP-GL/2 instructions the driver uses, each written through WriteGL2
// (which enters HP-GL/2 context first) and, where the printer keeps the value,
// only when it differs from the cache in the PDEV's Gl2State. Coordinates are
// user units of one device pixel; y values named "flipped" are H - device y - 1
// (see FlipY). All return TRUE.
#pragma once
#include "windows.h"

struct PDEV;

// Start of a job: "INSP1PP1WU0PW0.05TR0LT;", then back to PCL. IN resets the
// printer's HP-GL/2 state, so every HP-GL/2 cache becomes unknown.
BOOL GL2InitState(PDEV* pdev);

// Fill and merge.
BOOL GL2SetMerge(PDEV* pdev, LONG rop3);  // "MC1,#"; 168 while the merge override is on
BOOL GL2SetFillType(PDEV* pdev, LONG type, LONG p1, LONG p2 = 0);  // "FT;", "FT#,#", "FT#,#,#"
BOOL GL2SetScreen(PDEV* pdev, LONG type, LONG p);                  // "SV;", "SV#,#", "SV2,#,1"
BOOL GL2FillPolygon(PDEV* pdev, LONG winding);                     // "FP#"
BOOL GL2PolygonBegin(PDEV* pdev);                                  // "PM0"
BOOL GL2PolygonEnd(PDEV* pdev);                                    // "PM2"
BOOL GL2EdgePolygon(PDEV* pdev);                                   // "EP"
BOOL GL2Circle(PDEV* pdev, LONG radius);                           // "CI#"
BOOL GL2FillRectRel(PDEV* pdev, LONG dx, LONG dy);                 // "RR#,#"

// Frame.
// Input window from the clip of a drawing call: a clip that is one rectangle
// (iDComplexity DC_RECT) writes "IW left,H-bottom-1,right,H-top-1" of its
// bounds; no clip or any other writes "IW;" when a window may be in force,
// else nothing.
BOOL GL2SetWindow(PDEV* pdev, const CLIPOBJ* clip);
BOOL GL2SetP1P2(PDEV* pdev, LONG x1, LONG y1, LONG x2, LONG y2);  // "IP#,#,#,#;"
BOOL GL2SetScale(PDEV* pdev, LONG xmax, LONG ymax);               // "SC0,#,0,#;", cached
BOOL GL2Rotate(PDEV* pdev, LONG angle);                           // "RO#", angle mod 360, cached
BOOL GL2AnchorCorner(PDEV* pdev, LONG x, LONG y);                 // "AC#,#"

// Pen colour "PC pen,r,g,b", cached per palette entry with the PCL palette.
// Not written when the entry already holds `rgb` (and the new-sheet flag is
// clear), nor for a white pen 0 while colour output is off.
BOOL GL2SetPenColor(PDEV* pdev, COLORREF rgb, LONG pen);

// Path pieces. The caller opens and closes PE and BZ instructions (path flags).
BOOL GL2MoveTo(PDEV* pdev, LONG x, LONG flippedY);  // "PU#,#"; current point set by the caller
// A relative pen-down PE pair to (x, flippedY); the current point follows.
BOOL GL2LineTo(PDEV* pdev, LONG x, LONG flippedY);
// Three Bezier points (y flipped), "#,#,#,#,#,#" after a leading comma unless
// the triple is the first of its BZ; the current point becomes the third.
BOOL GL2BezierTo(PDEV* pdev, LONG x1, LONG y1, LONG x2, LONG y2, LONG x3, LONG y3);
