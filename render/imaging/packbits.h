// TIFF PackBits row coding, PCL compression method 2.
#pragma once
#include "windows.h"

// The most bytes EncodePackBits writes for a row of `length` bytes.
DWORD PackBitsBound(DWORD length);

// Codes `length` bytes of `row` into `out`. Returns the number of bytes
// written, or -1 when more than `capacity` bytes would be needed. A row that
// does not end in a run is closed by an extra run of two zero bytes (FF 00),
// which decodes to white beyond the row's significant bytes.
INT EncodePackBits(const BYTE* row, DWORD length, BYTE* out, DWORD capacity);

// As EncodePackBits, but fails as soon as the output would reach `length`
// bytes: a success is always shorter than the row itself.
INT EncodePackBitsBounded(const BYTE* row, DWORD length, BYTE* out, DWORD capacity);
