// Rows of engine bitmaps: addressing in either orientation and the bit-level
// moves of one-bit rows (the leftmost pixel is the most significant bit).
#pragma once
#include "win/winddi.h"

namespace kw::engine {

// Row `y` of the picture (0 = top), whatever the bitmap's orientation.
inline BYTE* RowAt(const SURFOBJ* so, LONG y) {
  return static_cast<BYTE*>(so->pvScan0) + intptr_t(y) * intptr_t(so->lDelta);
}

// Pixel `x` of a four-bit row; the left pixel of a byte is its high nibble.
inline BYTE Nibble(const BYTE* row, LONG x) { return x & 1 ? row[x / 2] & 0x0F : row[x / 2] >> 4; }
inline void SetNibble(BYTE* row, LONG x, BYTE v) {
  v &= 0x0F;
  row[x / 2] = x & 1 ? BYTE((row[x / 2] & 0xF0) | v) : BYTE((row[x / 2] & 0x0F) | (v << 4));
}

// Copies `count` pixels from bit `x` of `row` to the start of `out`; the
// unused low bits of the last byte of `out` are cleared.
void ReadBits(const BYTE* row, LONG x, LONG count, BYTE* out);
// Puts the first `count` bits of `in` at bit `x` of `row`; the row's other
// bits keep their values.
void WriteBits(BYTE* row, LONG x, LONG count, const BYTE* in);
// Sets `count` pixels from bit `x` to `bit` (0 or 1).
void FillBits(BYTE* row, LONG x, LONG count, int bit);

}  // namespace kw::engine
