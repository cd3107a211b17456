// Delta row coding against the seed row, PCL compression method 3.
#pragma once
#include "windows.h"

// The most bytes EncodeDeltaRow writes for `length` compared bytes.
DWORD DeltaRowBound(DWORD length);

// Codes the first `length` bytes of `row` as replacements of `seed`: groups of
// up to eight differing bytes, each behind a command byte (count - 1) * 32 +
// offset, an offset of 31 or more continuing in bytes of 255 and a last byte
// with the rest. Bytes after `length` are not sent. Returns the number of bytes
// written, or -1 when more than `capacity` would be needed.
INT EncodeDeltaRow(DWORD length, const BYTE* row, const BYTE* seed, BYTE* out, DWORD capacity);

// As EncodeDeltaRow, but fails when the output would reach `length` - 1 bytes
// or a group would need an offset of 1024 or more.
INT EncodeDeltaRowBounded(DWORD length, const BYTE* row, const BYTE* seed, BYTE* out, DWORD capacity);
