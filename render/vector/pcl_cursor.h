// PCL cursor positioning ("\e*p#x#Y", in units of the page's unit of
// measure). Each operation leaves HP-GL/2 context first and keeps the PDEV's
// current point, which HP-GL/2 shares.
//
// The cursor cache holds the last X and Y numbers sent in "\e*p". Every
// operation that sends them updates it; operations that move the printer's
// cursor by an amount the driver does not track (printing transparent data,
// raster rows, a change of print direction, a macro) make the moved
// coordinates unknown, so PclMoveToCached never skips a move the printer
// needs.
#pragma once
#include "windows.h"

struct PDEV;

// "\e*p" x "x" y "Y"; "\e*p0x0Y" first when x or y is negative.
void PclMoveTo(PDEV* pdev, LONG x, LONG y);
// (x, y) plus the page offset, each raised to 0 when negative. The current
// point becomes (x, y).
void PclMoveToPage(PDEV* pdev, LONG x, LONG y);
// As PclMoveToPage after the page mapping (zoom and rotation). The current
// point becomes (x, y).
void PclMoveToMapped(PDEV* pdev, LONG x, LONG y);
// Mapped, plus the page offset and the printable offset (kept at or above 0);
// writes only what differs from the cursor cache: "\e*p#X" when only X
// changed, "\e*p#x#Y" when Y changed, nothing when neither did. The current
// point becomes the mapped (x, y).
void PclMoveToCached(PDEV* pdev, LONG x, LONG y);

// The cursor moved along the line of print (X) or anywhere (both) by an
// amount the driver does not know.
void PclCursorMovedX(PDEV* pdev);
void PclCursorMoved(PDEV* pdev);

// The logical page mapping (zoom and rotation) of a point. Provided by the
// page mapping; until it exists, the identity.
void MapPagePoint(const PDEV* pdev, LONG* x, LONG* y);
