// HP-GL/2 polyline-encoded (PE) numbers, 8-bit form: base-64 digits, least
// significant first, continuation digits in 63..126 and the last digit in
// 191..254. Every pair the driver writes is a relative pen-down move, so no
// flag is ever written.
#pragma once
#include "windows.h"

struct PDEV;

// The PE characters of one signed number into `out` (room for 6); returns
// their count. n = 2|v| (+1 when v is negative) is written in base 64.
int EncodePeNumber(LONG v, BYTE* out);
// Writes the pair (dx, then dy) in HP-GL/2 context.
BOOL GL2EncodeDelta(PDEV* pdev, LONG dx, LONG dy);
