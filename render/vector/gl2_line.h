// GDI line descriptions to HP-GL/2 line attributes (LA), pen width (PW) and
// line type (UL, LT).
#pragma once
#include "windows.h"

struct PDEV;

// The engine's LINEATTRS, field for field in its natural layout. The layer
// declares LINEATTRS opaque so far; when it declares the fields, this becomes
// `using Gl2LineAttrs = LINEATTRS;` and the constants below its LA_, JOIN_
// and ENDCAP_ names.
union Gl2FloatLong {
  FLOAT e;  // geometric lines
  LONG l;   // cosmetic lines
};
struct Gl2LineAttrs {
  FLONG fl;                   // kLine* flags
  ULONG iJoin;                // kJoin*
  ULONG iEndCap;              // kEndCap*
  Gl2FloatLong elWidth;       // cosmetic: pixels (l); geometric: world units (e)
  FLOAT eMiterLimit;
  ULONG cstyle;               // style entries
  Gl2FloatLong* pstyle;       // dash and gap lengths in style units
  Gl2FloatLong elStyleState;
};
static_assert(sizeof(Gl2LineAttrs) == 40, "Gl2LineAttrs layout");

enum : FLONG {
  kLineGeometric = 0x00000001,  // LA_GEOMETRIC
  kLineAlternate = 0x00000002,  // LA_ALTERNATE: every other pixel
  kLineStartGap = 0x00000004,   // LA_STARTGAP
  kLineStyled = 0x00000008,     // LA_STYLED
};
enum : ULONG {
  kJoinRound = 0,  // JOIN_ROUND
  kJoinBevel = 1,  // JOIN_BEVEL
  kJoinMiter = 2,  // JOIN_MITER
};
enum : ULONG {
  kEndCapRound = 0,   // ENDCAP_ROUND
  kEndCapSquare = 1,  // ENDCAP_SQUARE
  kEndCapButt = 2,    // ENDCAP_BUTT
};

// A pen width in pixels at `dpi` as millimetres in 8.8 fixed point, computed
// in single precision: ((width * 25.4) / dpi + 0.01) * 256, truncated.
LONG PenWidthToMM(FLOAT width, DWORD dpi);

// Sets the printer's line attributes for the line `la` describes (null: the
// driver's default line). FALSE when the line cannot be expressed (a styled
// geometric line) or the style copy cannot be allocated; the engine then
// draws the line another way. A miter limit below 1 is raised to 1 in `la`.
BOOL GL2SetLineAttributes(PDEV* pdev, Gl2LineAttrs* la);
