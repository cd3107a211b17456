// Scans over raster rows shared by the encoders: blank tests, the significant
// length against a seed row, inversion. Each looks at eight bytes at a time
// where it can, since most of a page is white.
#pragma once
#include "windows.h"

// Number of leading bytes where `a` and `b` agree (at most `length`).
DWORD EqualPrefix(const BYTE* a, const BYTE* b, DWORD length);

// TRUE when every byte of the row is zero (white).
BOOL RowIsBlank(const BYTE* row, DWORD length);

// One past the last byte that is nonzero in `row` or in `seed` (`seed` may be
// null for a zero seed); 0 when both are blank. Bytes after it are white in
// both rows, so they need not be sent.
DWORD SignificantLength(const BYTE* row, const BYTE* seed, DWORD length);

// Inverts every byte of the row in place.
void InvertRow(BYTE* row, DWORD length);
